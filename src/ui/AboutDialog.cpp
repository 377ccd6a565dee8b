#include "ui/AboutDialog.h"

#include "Version.h"
#include "platform/ScreenScale.h"
#include "ui/WindowFace.h"
#include "ui_AboutDialog.h"

#include <QMouseEvent>

static void InitUiResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ui {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AboutDialog>()) {
    InitUiResources();
    ui_->setupUi(this);
    connect(ui_->Button1, &QPushButton::clicked, this, &AboutDialog::Button1Click);
    FormCreate();
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::FormCreate() {
    ApplyWindowFace(this);
    const double factor = platform::ScreenScaleFactor();
    platform::ScaleFixedSize(this, factor);
    ui_->lbVerNo->setText(QStringLiteral("Version   ") + QLatin1String(ledcardcfg::kVersionText));
}

void AboutDialog::setRightsText(const QString& rightsText) {
    ui_->lbVersion->setText(rightsText + QString::fromUtf8(kRightsNotice));
}

void AboutDialog::Button1Click() {
    accept();
}

void AboutDialog::FormClick() {
    accept();
}

void AboutDialog::mouseReleaseEvent(QMouseEvent* event) {
    // Only releases over the dialog itself; its button consumes its own clicks.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        FormClick();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

} // namespace ui
