#pragma once

#include <QPlainTextEdit>

#include <optional>

// The main window's hidden report box: it keeps the last statement report.
// Nobody sees it, so a report is laid out in the box's document only if the
// box is ever shown; laying out a million lines would cost seconds that no
// one could see.
class CaixaRelatorio final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CaixaRelatorio(QWidget *parent = nullptr);

    void guardaRelatorio(const QByteArray &utf8);
    // The text the box holds: the last report, or its design-time text.
    QString relatorio() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void assentaPendente();

    std::optional<QByteArray> m_pendente; // UTF-8
};
