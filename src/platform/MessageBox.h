#pragma once
// Every message box of the program goes through here, so tests can answer them.

#include <QString>

class QWidget;

namespace platform {

class MessageBoxes {
public:
    enum class Kind { Information, Error };
    virtual ~MessageBoxes() = default;
    // Shows `text` with an OK button and returns once the operator has dismissed it.
    virtual void show(QWidget* parent, Kind kind, const QString& text) = 0;
    // Shows `text` with Yes and No, No the default and the answer to Esc; true for Yes. The
    // buttons read `yes` and `no` (in the language of the text), or Qt's own words when empty.
    virtual bool ask(QWidget* parent, const QString& text, const QString& yes,
                     const QString& no) = 0;
};

// The real boxes: QMessageBox with the application's name as title.
class WidgetMessageBoxes final : public MessageBoxes {
public:
    void show(QWidget* parent, Kind kind, const QString& text) override;
    bool ask(QWidget* parent, const QString& text, const QString& yes, const QString& no) override;
};

// The boxes in use; the real ones unless a test installed others.
MessageBoxes& messageBoxes();
// Installs `boxes` (not owned) until the returned guard is destroyed.
class ScopedMessageBoxes {
public:
    explicit ScopedMessageBoxes(MessageBoxes& boxes);
    ~ScopedMessageBoxes();
    ScopedMessageBoxes(const ScopedMessageBoxes&) = delete;
    ScopedMessageBoxes& operator=(const ScopedMessageBoxes&) = delete;

private:
    MessageBoxes* previous_;
};

inline void inform(QWidget* parent, const QString& text) {
    messageBoxes().show(parent, MessageBoxes::Kind::Information, text);
}
inline void error(QWidget* parent, const QString& text) {
    messageBoxes().show(parent, MessageBoxes::Kind::Error, text);
}
inline bool ask(QWidget* parent, const QString& text, const QString& yes = {},
                const QString& no = {}) {
    return messageBoxes().ask(parent, text, yes, no);
}

} // namespace platform
