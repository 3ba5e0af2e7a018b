#include "about_window.h"

#include <QAction>
#include <QGridLayout>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/main_window.h"
#include "app/widgets/accessibility.h"
#include "config/access_code.h"
#include "config/window_parts.h"

namespace zov::config {
namespace {

constexpr int kPictureSize = 128;

// Our emblem: an X-ray tube, its beam, and the family name.
QPixmap emblem() {
    QPixmap picture(kPictureSize, kPictureSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient panel(0, 0, 0, kPictureSize);
    panel.setColorAt(0, QColor(24, 44, 84));
    panel.setColorAt(1, QColor(8, 16, 36));
    painter.setPen(Qt::NoPen);
    painter.setBrush(panel);
    painter.drawRoundedRect(QRectF(2, 2, 124, 124), 14, 14);

    // The beam leaves the anode downwards.
    QPainterPath beam;
    beam.moveTo(70, 52);
    beam.lineTo(50, 100);
    beam.lineTo(96, 100);
    beam.closeSubpath();
    painter.setBrush(QColor(255, 214, 64, 120));
    painter.drawPath(beam);

    // Glass envelope, cathode on the left, angled anode on the right.
    painter.setBrush(QColor(160, 210, 255, 70));
    painter.setPen(QPen(QColor(190, 225, 255), 2));
    painter.drawRoundedRect(QRectF(14, 30, 100, 28), 14, 14);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(230, 230, 236));
    painter.drawRect(QRectF(24, 39, 14, 10));
    QPainterPath anode;
    anode.moveTo(76, 36);
    anode.lineTo(102, 36);
    anode.lineTo(102, 52);
    anode.lineTo(68, 52);
    anode.closeSubpath();
    painter.setBrush(QColor(214, 140, 64));
    painter.drawPath(anode);
    painter.setPen(QPen(QColor(255, 214, 64), 2, Qt::DashLine));
    painter.drawLine(QPointF(38, 44), QPointF(68, 44));

    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 98, kPictureSize, 26), Qt::AlignCenter, QStringLiteral("ZOV"));
    return picture;
}

QLabel* namedLabel(QLabel* label, const char* name) {
    label->setObjectName(QLatin1String(name));
    return label;
}

}  // namespace

void DoubleClickLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    emit doubleClicked();
}

AboutWindow::AboutWindow(app::MainWindow& window) : QDialog(&window), window_(window) {
    setUpServiceWindow(*this, "RevScreen", QStringLiteral("About the ZOV Interface"));
    auto* picture = namedLabel(new QLabel(this), "Picture1");
    picture->setPixmap(emblem());
    picture->setAccessibleName(QStringLiteral("ZOV emblem: an X-ray tube and its beam"));
    auto* name = namedLabel(new QLabel(QStringLiteral(" GUI for ZOV80"), this), "Label1");
    auto* version = new DoubleClickLabel(QStringLiteral("Version 3.6"), this);
    version->setObjectName(QStringLiteral("Label3"));
    auto* openSource = namedLabel(
        new QLabel(QStringLiteral("Open-source console for ZOV high-voltage X-ray supplies."),
                   this),
        "lbl_Notice1");
    auto* caution = namedLabel(
        new QLabel(QStringLiteral("It switches high voltage and X-rays: use it with care."), this),
        "lbl_Notice2");
    QPushButton* ok = makeButton("OK", QStringLiteral("OK"), this);
    ok->setDefault(true);

    QFont title = name->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.4);
    name->setFont(title);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(name, 0, 1);
    grid->addWidget(version, 1, 1);
    grid->addWidget(openSource, 2, 1);
    grid->addWidget(caution, 3, 1);
    grid->addWidget(ok, 4, 1, Qt::AlignRight);

    connect(version, &DoubleClickLabel::doubleClicked, this, &AboutWindow::Label3_DblClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    app::applyProtocolNames(this);
}

void AboutWindow::Label3_DblClick() {
    if (askAccessCode(window_, QStringLiteral("Enter Mode Password"), kModePassword,
                      QStringLiteral("Enable Special Function Mode"))) {
        enterSpecialFunctionMode(window_);
    }
    close();
}

void showAboutWindow(app::MainWindow& window) {
    QWidget* about = window.secondaryWindow(QStringLiteral("RevScreen"),
                                            [&window] { return new AboutWindow(window); });
    about->show();
    about->raise();
    about->activateWindow();
}

void enterSpecialFunctionMode(app::MainWindow& window) {
    window.showExtrasWindow();
    for (const char* name : {"mnu_EXTRAS", "mnu_PASSTHRU"}) {
        if (QAction* item = window.menuItem(QLatin1String(name))) {
            item->setEnabled(true);
            item->setVisible(true);
        }
    }
}

}  // namespace zov::config
