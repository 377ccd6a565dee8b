#include "ui/Unit2.h"

#include "platform/ScreenScale.h"
#include "ui/Unit1.h"
#include "ui_Unit2.h"

#include <QMouseEvent>

static void InitUiResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ui {

TForm2::TForm2(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm2>()) {
    InitUiResources();
    ui_->setupUi(this);
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::FormCreate() {
    ApplyWindowFace(this);
    const double factor = platform::ScreenScaleFactor();
    setFixedSize(platform::ScaledSize(width(), factor), platform::ScaledSize(height(), factor));
    ui_->lbVerNo->setText(QStringLiteral("Version   ") + QLatin1String(kVersionText));
}

void TForm2::setRightsText(const QString& rightsText) {
    ui_->lbVersion->setText(rightsText + QString::fromUtf8(kRightsNotice));
}

void TForm2::Button1Click() {
    accept();
}

void TForm2::FormClick() {
    accept();
}

void TForm2::mouseReleaseEvent(QMouseEvent* event) {
    // Only releases over the dialog itself; its button consumes its own clicks.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        FormClick();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

} // namespace ui
