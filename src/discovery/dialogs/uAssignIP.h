#pragma once
// Asks for the one address a search goes to. Created once; keeps what was typed last.

#include <QDialog>

namespace Ui {
class TformAssignIP;
}

class TformAssignIP : public QDialog {
    Q_OBJECT

public:
    explicit TformAssignIP(QWidget* parent = nullptr);
    ~TformAssignIP() override;

    // Shows the dialog modally. Returns the four fields, trimmed and joined by ".", when OK
    // was pressed, or an empty text when the dialog was closed any other way.
    QString ask();

public slots:
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Ui::TformAssignIP* ui;
    QString chosen_;
};
