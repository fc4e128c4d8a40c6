#pragma once
// The Qt versions of the file dialogs, the message box and the clipboard.

#include "platform/dialogs.h"

#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

namespace quorvane {

class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget *parent) : parent_(parent) {}
    bool ShowOpen() override;
    // "text files *.txt|*.txt" as Qt's name filters: "text files *.txt (*.txt)".
    static QString NameFilters(const std::string &filter);

private:
    QWidget *parent_;
};

class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget *parent) : parent_(parent) {}
    void Show(const std::string &text, int style, const std::optional<std::string> &title) override;
    // The box Show runs, not yet shown.
    std::unique_ptr<QMessageBox> Build(const std::string &text, int style, const std::optional<std::string> &title);
    // text with a place to break the line in every long run without spaces (a
    // path of hundreds of characters), so that the box wraps it to the screen.
    static QString Breakable(const QString &text);

private:
    QWidget *parent_;
};

class QtSaveDialog : public SaveDialog {
public:
    explicit QtSaveDialog(QWidget *parent) : parent_(parent) {}
    std::optional<std::string> ShowSave(const std::string &title, const std::string &proposedPath,
                                        const std::string &filter) override;

private:
    QWidget *parent_;
};

class QtClipboard : public Clipboard {
public:
    void SetText(const std::string &text) override;
    std::string Text() override;
};

} // namespace quorvane
