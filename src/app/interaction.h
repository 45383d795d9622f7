#pragma once

#include <QString>

class QWidget;

namespace cofrel {

enum class QuestionIcon { None, Question };

// The seam for everything that waits on a person or makes a sound: plain
// messages, Yes/No questions, the default error handler, the beep, the
// help viewer and the choice of a file to open. The program uses message
// boxes and the file dialog; tests install their own.
class Interaction {
public:
    virtual ~Interaction() = default;

    // A plain message: the text and OK, no icon, titled "Cofrel 1.0".
    virtual void message(const QString &text) = 0;
    // Yes and No, No being the default; true on Yes.
    virtual bool question(const QString &text, const QString &title, QuestionIcon icon) = 0;
    // The default error handler: shows the error's message and returns.
    // \a details, the engine's or the system's own text (empty when there
    // is none), is kept apart, shown only on request.
    virtual void error(const QString &text, const QString &details) = 0;
    // The system's exclamation sound.
    virtual void beep() = 0;
    // Opens the help page \a file at topic \a context.
    virtual void showHelp(const QString &file, int context) = 0;
    // The path of an existing file the person chose, among those that
    // \a filter lets through ("Extratos (*.ofx *.csv)"), in a dialog
    // titled \a title; empty when they gave up. With nobody to ask, empty.
    virtual QString openFileName(const QString &title, const QString &filter);
};

Interaction &interaction();
// Installs \a replacement (not owned); nullptr restores the message boxes.
void setInteraction(Interaction *replacement);

// The message boxes of the program.
class DialogInteraction final : public Interaction {
public:
    void message(const QString &text) override;
    bool question(const QString &text, const QString &title, QuestionIcon icon) override;
    void error(const QString &text, const QString &details) override;
    void beep() override;
    void showHelp(const QString &file, int context) override;
    QString openFileName(const QString &title, const QString &filter) override;
};

} // namespace cofrel
