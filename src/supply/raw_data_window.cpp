#include "raw_data_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QMenuBar>

#include "app/main_window.h"
#include "app/reply_field.h"
#include "app/widgets/accessibility.h"
#include "supply/panel_controls.h"

namespace zov::supply {
namespace {

const QString kWindowName = QStringLiteral("frm_RAWDATA");

// Board reference of each converter input that has one.
const char* const kAdcReferences[RawDataWindow::kAdcChannels] = {
    "CR45", "CR31",  "CR26", "CR46", "CR33", "CR32",  "CR44",  "CR43",
    "CR47", nullptr, "CR48", "CR49", "CR50", nullptr, nullptr, nullptr};

// Inputs 9 and 13 to 15 sit in the "DSP ADC Data" frame, the rest on the window.
bool inDspFrame(int index) {
    return index == 9 || index >= 13;
}

const char* const kOutputPins[RawDataWindow::kDigitalOutputs] = {
    "OUT1 JB8-1", "OUT2 JB7-12", "OUT3 JB7-11", "OUT4 JB7-10", "OUT5 JB7-9"};

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QString adcCaption(int index) {
    switch (index) {
        case 0:
            return QStringLiteral("Ambient Temp.");
        case 1:
            return QStringLiteral("LVPS +24V");
        default:
            return QStringLiteral("Channel %1").arg(index);
    }
}

}  // namespace

RawDataWindow::RawDataWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Unscaled Data and Status"));
    misc_ = menuBar()->addAction(QStringLiteral("Misc Information"));
    misc_->setObjectName(QStringLiteral("mnu_misc"));

    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->addWidget(buildDacFrame(), 0, 0);
    grid->addWidget(buildAdcBoxes(), 0, 1, 2, 1);
    grid->addWidget(buildDigitalInputs(), 1, 0);
    grid->addWidget(buildDigitalOutputs(), 2, 0);
    auto* relays = new QHBoxLayout;
    for (std::size_t i = 0; i < relays_.size(); ++i) {
        relays_[i] = new RelayDrawing(static_cast<int>(i) + 1);
        relays->addWidget(relays_[i]);
    }
    grid->addLayout(relays, 2, 1);
    setCentralWidget(central);
    app::applyProtocolNames(this);
}

QWidget* RawDataWindow::buildDacFrame() {
    auto* frame = new QGroupBox(QStringLiteral("DAC Data to DSP"));
    frame->setObjectName(QStringLiteral("fra_DACDATA"));
    auto* grid = new QGridLayout(frame);
    for (const core::SetpointChannel& row : core::kSetpointChannels) {
        const QString caption =
            QStringLiteral("DAC ") + QLatin1Char(static_cast<char>('A' + index(row.channel)));
        QLineEdit* box = app::makeReplyField(QLatin1String(row.rawBox), caption, QString());
        rawDac_[index(row.channel)] = box;
        const int line = static_cast<int>(index(row.channel));
        grid->addWidget(makeCaption(caption, box), line, 0);
        grid->addWidget(box, line, 1);
    }
    return frame;
}

QWidget* RawDataWindow::buildAdcBoxes() {
    auto* boxes = new QWidget;
    auto* windowGrid = new QGridLayout(boxes);
    auto* dspFrame = new QGroupBox(QStringLiteral("DSP ADC Data"));
    dspFrame->setObjectName(QStringLiteral("fra_DSPADC"));
    auto* dspGrid = new QGridLayout(dspFrame);
    for (int i = 0; i < kAdcChannels; ++i) {
        QLineEdit* box = app::makeReplyField(arrayName("txt_DATA", i),
                                             QStringLiteral("Channel %1").arg(i), QString());
        if (const char* reference = kAdcReferences[i]) {
            box->setToolTip(QStringLiteral("Ch. %1, %2").arg(i).arg(QLatin1String(reference)));
        }
        adc_[static_cast<std::size_t>(i)] = box;
        QGridLayout* grid = inDspFrame(i) ? dspGrid : windowGrid;
        const int line = grid->rowCount();
        grid->addWidget(makeCaption(adcCaption(i), box), line, 0);
        grid->addWidget(box, line, 1);
    }
    windowGrid->addWidget(dspFrame, windowGrid->rowCount(), 0, 1, 2);
    return boxes;
}

QWidget* RawDataWindow::buildDigitalInputs() {
    auto* frame = new QGroupBox(QStringLiteral("DIGITAL INPUTS"));
    frame->setObjectName(QStringLiteral("fra_DIGIN"));
    auto* grid = new QGridLayout(frame);
    for (int i = 0; i < kDigitalInputs; ++i) {
        const QString pin = QStringLiteral("IN%1 JB7-%1").arg(i + 1);
        auto* led = makeLed(arrayName("led_IN", i), pin);
        inputs_[static_cast<std::size_t>(i)] = led;
        grid->addWidget(led, i, 0);
        grid->addWidget(makeCaption(pin), i, 1);
    }
    return frame;
}

QWidget* RawDataWindow::buildDigitalOutputs() {
    auto* frame = new QGroupBox(QStringLiteral("DIGITAL OUTPUTS"));
    frame->setObjectName(QStringLiteral("fra_DIGOUT"));
    auto* grid = new QGridLayout(frame);
    for (int i = 0; i < kDigitalOutputs; ++i) {
        const QString pin = QLatin1String(kOutputPins[i]);
        auto* output = new app::InstrumentButton(app::InstrumentButton::Mode::Switch);
        output->setObjectName(arrayName("btn_DOUT", i));
        output->setAccessibleName(pin + QStringLiteral(" switch"));
        auto* led = makeLed(arrayName("led_OUT", i), pin);
        outputSwitches_[static_cast<std::size_t>(i)] = output;
        outputLeds_[static_cast<std::size_t>(i)] = led;
        grid->addWidget(output, i, 0);
        grid->addWidget(led, i, 1);
        grid->addWidget(makeCaption(pin), i, 2);
    }
    return frame;
}

RawDataWindow& rawDataWindow(app::MainWindow& window) {
    QWidget* loaded = window.secondaryWindow(kWindowName, [&window] {
        auto* raw = new RawDataWindow(&window);
        QObject::connect(raw->mnu_misc(), &QAction::triggered, &window,
                         &app::MainWindow::showExtrasWindow);
        return raw;
    });
    return *static_cast<RawDataWindow*>(loaded);
}

void showRawDataWindow(app::MainWindow& window) {
    RawDataWindow& raw = rawDataWindow(window);
    raw.show();
    raw.raise();
}

}  // namespace zov::supply
