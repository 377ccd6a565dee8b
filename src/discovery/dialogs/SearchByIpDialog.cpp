#include "discovery/dialogs/SearchByIpDialog.h"

#include "discovery/HostResolution.h"
#include "platform/ScreenScale.h"
#include "ui_SearchByIpDialog.h"

#include <QScreen>
#include <QShowEvent>

namespace discovery {

SearchByIpDialog::SearchByIpDialog(QWidget* parent)
    : QDialog(parent), ui(new Ui::SearchByIpDialog) {
    ui->setupUi(this);
    const double factor = platform::ScreenScaleFactor(screen());
    platform::ScaleSize(this, factor);
    connect(ui->Button1, &QPushButton::clicked, this, &SearchByIpDialog::Button1Click);
}

void SearchByIpDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // Over the main window on every showing, wherever the window has been moved since.
        if (const QWidget* parent = parentWidget()) {
            platform::CentreOver(this, parent);
        } else {
            platform::CentreOnScreen(this);
        }
    }
    QDialog::showEvent(event);
}

SearchByIpDialog::~SearchByIpDialog() {
    delete ui;
}

QString SearchByIpDialog::ask() {
    chosen_.clear();
    exec();
    return chosen_;
}

void SearchByIpDialog::Button1Click() {
    // No check of the text: anything that is not a dotted quad is looked up as a host name.
    chosen_ =
        joinOctets(ui->edtIP1->text(), ui->edtIP2->text(), ui->edtIP3->text(), ui->edtIP4->text());
    accept();
}

} // namespace discovery
