#pragma once
// The About dialog: version and rights line, closed by OK or a click on its surface.

#include <QDialog>
#include <memory>

namespace Ui {
class AboutDialog;
}

namespace ui {

// The fixed notice that follows the catalogue's rights text.
inline constexpr char kRightsNotice[] = " \u00a9 2026 ledcardcfg developers";

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

    // Rights line: the catalogue's rights text followed by the fixed notice.
    void setRightsText(const QString& rightsText);

public slots:
    void Button1Click();
    void FormClick();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FormCreate();

    std::unique_ptr<Ui::AboutDialog> ui_;
};

} // namespace ui
