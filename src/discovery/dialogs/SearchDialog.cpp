#include "discovery/dialogs/SearchDialog.h"

#include "platform/ScreenScale.h"
#include "ui_SearchDialog.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace discovery {

SearchDialog::SearchDialog(int countdownStart, const CatalogueLookup& text, QWidget* parent)
    : QDialog(parent), ui(new Ui::SearchDialog), tSTime(new QTimer(this)),
      countdownStart_(countdownStart) {
    ui->setupUi(this);
    tSTime->setObjectName(QStringLiteral("tSTime"));
    tSTime->setInterval(1000);
    tSTime->setTimerType(Qt::PreciseTimer);
    connect(tSTime, &QTimer::timeout, this, &SearchDialog::tSTimeTimer);
    if (parent) {
        setFont(parent->font()); // the main window's face, so CJK and Latin share metrics
    }
    const double factor = platform::ScreenScaleFactor(screen());
    platform::ScaleFixedSize(this, factor);
    connect(ui->btStop, &QPushButton::clicked, this, &SearchDialog::btStopClick);

    setWindowTitle(text(lang::Lookup::SearchDialog, "item_search"));
    ui->lbSearch->setText(text(lang::Lookup::SearchDialog, "item_search_network_device"));
    ui->lbRemain->setText(text(lang::Lookup::SearchDialog, "item_remaining_search_time"));
    ui->lbSecond->setText(text(lang::Lookup::SearchDialog, "item_second"));
    ui->lbSearchFor->setText(text(lang::Lookup::SearchDialog, "item_search_for"));
    ui->lbDevice->setText(text(lang::Lookup::SearchDialog, "item_devices"));
    ui->btStop->setText(text(lang::Lookup::SearchDialog, "item_stop"));
}

SearchDialog::~SearchDialog() {
    delete ui;
}

QTreeWidget* SearchDialog::list() const {
    return ui->lvModList;
}

QAbstractItemView* SearchDialog::listView() const {
    return list();
}

void SearchDialog::addRow(const protocol::DeviceEntry& entry) {
    auto* item = new QTreeWidgetItem(
        QStringList{QString::number(entry.number), QString::fromStdString(entry.name),
                    QString::fromStdString(entry.mac), QString::fromStdString(entry.ip)});
    ColourDeviceRow(item, ui->lvModList->topLevelItemCount());
    ui->lvModList->addTopLevelItem(item);
}

void SearchDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
        // On the screen's centre, not over the main window, which Qt would choose for a child.
        platform::CentreOnScreen(this);
    }
}

void SearchDialog::fitColumns() {
    // The design widths, widened where a caption or a full MAC address would be cut off.
    const int widths[] = {60, 100, 120, 110};
    QHeaderView* header = ui->lvModList->header();
    const QFontMetrics cells(ui->lvModList->font());
    const QFontMetrics captions(header->font());
    const int padding = 14;
    int total = 0;
    for (int c = 0; c < 4; ++c) {
        int width = std::max(
            widths[c], captions.horizontalAdvance(ui->lvModList->headerItem()->text(c)) + padding);
        if (c == 2) {
            width = std::max(width, cells.horizontalAdvance(QStringLiteral("00:00:00:00:00:00")) +
                                        padding);
        }
        header->resizeSection(c, width);
        total += width;
    }
    const int chrome = width() - ui->lvModList->viewport()->width();
    if (total + chrome > width()) {
        setFixedWidth(total + chrome);
    }
}

void SearchDialog::FormShow() {
    fitColumns();
    tSTime->start();
    RemainingSeconds = countdownStart_;
    ui->SpBar->setRange(0, std::max(0, countdownStart_ * 10 - 10));
    ui->SpBar->setValue(0);
}

void SearchDialog::tSTimeTimer() {
    const bool last = RemainingSeconds == 1;
    --RemainingSeconds;
    ui->lbSTime->setText(QString::number(RemainingSeconds));
    ui->lbSModm->setText(QString::number(ui->lvModList->topLevelItemCount()));
    ui->SpBar->setValue((countdownStart_ - RemainingSeconds) * 10);
    if (last) {
        close();
    }
}

void SearchDialog::btStopClick() {
    close();
}

void SearchDialog::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void SearchDialog::done(int result) {
    FormClose();
    QDialog::done(result);
}

void SearchDialog::FormClose() {
    if (closed_) {
        return;
    }
    closed_ = true;
    tSTime->stop();
    if (onFormClose) {
        onFormClose(*this);
    }
}

} // namespace discovery
