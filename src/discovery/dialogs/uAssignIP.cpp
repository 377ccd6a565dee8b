#include "discovery/dialogs/uAssignIP.h"

#include "ui_uAssignIP.h"

TformAssignIP::TformAssignIP(QWidget* parent) : QDialog(parent), ui(new Ui::TformAssignIP) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, &TformAssignIP::Button1Click);
}

TformAssignIP::~TformAssignIP() {
    delete ui;
}

QString TformAssignIP::ask() {
    chosen_.clear();
    exec();
    return chosen_;
}

void TformAssignIP::Button1Click() {
    // No check of the text: anything that is not a dotted quad is looked up as a host name.
    chosen_ = ui->edtIP1->text().trimmed() + QLatin1Char('.') + ui->edtIP2->text().trimmed() +
              QLatin1Char('.') + ui->edtIP3->text().trimmed() + QLatin1Char('.') +
              ui->edtIP4->text().trimmed();
    accept();
}
