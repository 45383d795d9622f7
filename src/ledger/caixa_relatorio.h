#pragma once

#include <QPlainTextEdit>

#include <optional>

// The main window's hidden report box: it keeps the last statement report.
// Nobody sees it, so a report is laid out in the box's document only if the
// box is ever shown; laying out a million lines would cost seconds that no
// one could see. Its font, likewise, reaches the document (which loads the
// font) only when the box is shown.
class CaixaRelatorio final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CaixaRelatorio(QWidget *parent = nullptr);

    void guardaRelatorio(const QByteArray &utf8);
    // The text the box holds: the last report, or its design-time text.
    QString relatorio() const;

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void assentaPendente();

    std::optional<QByteArray> m_pendente; // UTF-8
    bool m_fontePendente = false;
};
