#pragma once
// Asks for the one address a search goes to. Created once; keeps what was typed last.

#include <QDialog>

namespace Ui {
class SearchByIpDialog;
}

namespace discovery {

class SearchByIpDialog : public QDialog {
    Q_OBJECT

public:
    explicit SearchByIpDialog(QWidget* parent = nullptr);
    ~SearchByIpDialog() override;

    // Shows the dialog modally. Returns the four fields, trimmed and joined by ".", when OK
    // was pressed, or an empty text when the dialog was closed any other way.
    QString ask();

public slots:
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Ui::SearchByIpDialog* ui;
    QString chosen_;
};

} // namespace discovery
