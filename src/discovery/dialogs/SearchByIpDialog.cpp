#include "discovery/dialogs/SearchByIpDialog.h"

#include "platform/ScreenScale.h"
#include "ui_SearchByIpDialog.h"

#include <QScreen>
#include <QShowEvent>

namespace discovery {

SearchByIpDialog::SearchByIpDialog(QWidget* parent)
    : QDialog(parent), ui(new Ui::SearchByIpDialog) {
    ui->setupUi(this);
    const double factor = platform::ScreenScaleFactor(screen());
    resize(platform::ScaledSize(width(), factor), platform::ScaledSize(height(), factor));
    connect(ui->Button1, &QPushButton::clicked, this, &SearchByIpDialog::Button1Click);
}

void SearchByIpDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // Over the main window on every showing, wherever the window has been moved since.
        QRect frame = frameGeometry();
        if (const QWidget* parent = parentWidget()) {
            frame.moveCenter(parent->window()->frameGeometry().center());
        } else if (const QScreen* where = screen()) {
            frame.moveCenter(where->availableGeometry().center());
        }
        move(frame.topLeft());
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
    chosen_ = ui->edtIP1->text().trimmed() + QLatin1Char('.') + ui->edtIP2->text().trimmed() +
              QLatin1Char('.') + ui->edtIP3->text().trimmed() + QLatin1Char('.') +
              ui->edtIP4->text().trimmed();
    accept();
}

} // namespace discovery
