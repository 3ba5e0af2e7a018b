// The session record: its lines, a scripted session against the simulated
// supply written line by line, each line in the file as it happens, and the
// failures that stop it (a full disk, a removed folder, a killed console).
#include <sys/resource.h>
#include <QProcess>
#include <QtTest>
#include <csignal>

#include "records/install_session_record.h"
#include "records/record_lines.h"
#include "supply/dac_editor_area.h"
#include "supply/readbacks_area.h"
#include "supply/system_status_area.h"
#include "supply/xray_enable_area.h"
#include "supply_rig.h"

using zov::core::SupplyEvent;
namespace records = zov::records;
namespace supply = zov::supply;
namespace core = zov::core;

namespace {

// 14:30:00.000 at UTC+1, a millisecond on with every line.
QDateTime startTime() {
    return QDateTime(QDate(2026, 12, 8), QTime(14, 30), Qt::OffsetFromUTC, 3600);
}

QStringList fileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    return lines;
}

struct RecordRig : zov::test::SupplyRig {
    RecordRig() : recorder(records::installSessionRecord(*window)) {
        recorder.record().setClock([this] { return startTime().addMSecs(ticks++); });
        recorder.setPathChooser([this](QWidget*) { return chosenPath; });
        sim.model().setMonitorNoise(false);
    }
    QString path(const char* name) const { return directory.filePath(QLatin1String(name)); }
    void startRecording(const QString& path) {
        chosenPath = path;
        recorder.mnu_RecordToFile()->trigger();
    }
    // The lines after the header and the start line, without the time.
    QStringList recorded() const {
        QStringList lines = fileLines(chosenPath.value_or(QString())).mid(2);
        if (!lines.isEmpty() && lines.last().isEmpty()) {
            lines.removeLast();
        }
        for (QString& line : lines) {
            line = line.section(u',', 1);
        }
        return lines;
    }
    void update() { areas.readbacks->btn_UPDATEDATA()->click(); }
    QString indicator() { return window->statusBar1().indicatorText(); }

    records::SessionRecorder& recorder;
    std::optional<QString> chosenPath;
    int ticks = 0;
};

// A limit on the size of any file this process writes, as a full disk would
// set one: writes beyond it fail (EFBIG) instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

}  // namespace

class SessionRecordTest : public QObject {
    Q_OBJECT
private slots:
    void linesAndQuoting();
    void scriptedSessionLineByLine();
    void eachLineIsInTheFileAsItHappens();
    void menuAndIndicator();
    void aFullDiskAtTheStart();
    void aFullDiskWhileRecording();
    void aRemovedFolderWhileRecording();
    void aKilledConsoleLeavesACompleteFile();
};

void SessionRecordTest::linesAndQuoting() {
    QCOMPARE(records::csvField("VREF 2048; acknowledged"), QByteArray("VREF 2048; acknowledged"));
    QCOMPARE(records::csvField("a,b"), QByteArray("\"a,b\""));
    QCOMPARE(records::csvField("say \"on\""), QByteArray("\"say \"\"on\"\"\""));
    QCOMPARE(records::csvField("two\nlines\r"), QByteArray("\"two\nlines\r\""));
    QCOMPARE(records::csvField(QStringLiteral("25 \u00b0C")), QByteArray("25 \xc2\xb0"
                                                                         "C"));
    // Every zone in the one form, UTC included.
    const QDate day(2026, 12, 8);
    const QTime time(14, 30, 0, 66);
    const std::pair<QDateTime, const char*> times[] = {
        {startTime().addMSecs(66), "2026-12-08T14:30:00.066+01:00"},
        {QDateTime(day, time, Qt::UTC), "2026-12-08T14:30:00.066+00:00"},
        {QDateTime(day, time, Qt::OffsetFromUTC, 0), "2026-12-08T14:30:00.066+00:00"},
        {QDateTime(day, time, Qt::OffsetFromUTC, -(3 * 3600 + 1800)),
         "2026-12-08T14:30:00.066-03:30"},
        {QDateTime(day, time, Qt::OffsetFromUTC, 5 * 3600 + 2700), "2026-12-08T14:30:00.066+05:45"},
    };
    for (const auto& [when, shown] : times) {
        QCOMPARE(records::timestamp(when), QString::fromLatin1(shown));
    }
    QCOMPARE(records::readingLine(startTime(), "LVPS24", -15.0),
             QByteArray("2026-12-08T14:30:00.000+01:00,reading,LVPS24,-15,\n"));
    QCOMPARE(records::eventLine(startTime(), SupplyEvent::Error, "TCP error: a, b"),
             QByteArray("2026-12-08T14:30:00.000+01:00,error,,,\"TCP error: a, b\"\n"));
    // However long a detail, the line is bounded.
    const QByteArray longLine =
        records::eventLine(startTime(), SupplyEvent::Error, QString(100000, u'x'));
    QCOMPARE(longLine.size(), 39 + records::kDetailLimit);
}

void SessionRecordTest::scriptedSessionLineByLine() {
    RecordRig rig;
    rig.startRecording(rig.path("session.csv"));
    QVERIFY(rig.recorder.record().recording());
    rig.choose(false);
    auto& model = rig.sim.model();
    model.pinMonitor(zov::sim::Monitor::Voltage, 2048);
    model.pinMonitor(zov::sim::Monitor::Current, 2048);
    model.pinMonitor(zov::sim::Monitor::Filament, 1000);
    model.pinMonitor(zov::sim::Monitor::AuxSupply, 6382);
    model.pinMonitor(zov::sim::Monitor::Temperature, 341);
    rig.state().KvScaleFactor = 60.0 / 4095;
    rig.state().mAScaleFactor = 0.5 / 4095;
    rig.areas.systemStatus->btn_REQSTAT()->click();
    rig.update();
    auto& editor = *rig.areas.dacEditor;
    editor.option(core::Channel::A)->click();
    editor.ctrl_BITVAL()->setValue(2048);
    editor.btn_ACCEPT()->click();
    rig.areas.xrayEnable->btn_HVONOFF()->click();
    rig.areas.systemStatus->btn_REQSTAT()->click();
    model.arc();
    rig.areas.systemStatus->btn_REQSTAT()->click();
    model.setFault(zov::sim::Fault::OverCurrent, true);
    rig.areas.systemStatus->btn_REQSTAT()->click();
    rig.window->linkSelection().mnu_ethernet_Click();
    rig.goManual();
    rig.sim.dropTcpConnections();
    QTRY_VERIFY(!rig.recorded().isEmpty() && rig.recorded().last().startsWith("link lost"));
    rig.recorder.mnu_StopRecording()->trigger();

    const QStringList header = fileLines(*rig.chosenPath).mid(0, 2);
    QCOMPARE(header, (QStringList{"time,event,variable,value,detail",
                                  "2026-12-08T14:30:00.000+01:00,recording started,,,"}));
    const QStringList expected{
        "link chosen,,,\"Comm Port:  1, 115200,n,8,1\"",
        "status changed,,,X-RAY OFF",
        "fault changed,,,Arc OK",
        "fault changed,,,Temp OK",
        "fault changed,,,Over Voltage OK",
        "fault changed,,,Under Voltage OK",
        "fault changed,,,Over Current OK",
        "fault changed,,,Under Current OK",
        "fault changed,,,WDT OK",
        "interlock changed,,,CLOSED",
        "reading,KV_MON,30.007,",
        "reading,EmMon,0.25,",
        "reading,Fil_I_Mon,1.465,",
        "reading,LVPS24,-15,",
        "reading,AmbTemp,25,",
        "setpoint programmed,,,VREF 2048; acknowledged",
        "X-ray requested,,,ON",
        "X-ray acknowledged,,,ON",
        "status changed,,,X-RAY ON",
        "fault changed,,,Arc Error",
        "arc counted,,,1",
        "status changed,,,X-RAY OFF",
        "fault changed,,,Arc OK",
        "fault changed,,,Over Current Error",
        "link chosen,,,Ethernet 127.0.0.1:" + QString::number(rig.sim.tcpPort()),
        "error,,,TCP error: The remote host closed the connection",
        "stale,,,Link lost at *",  // the time of day follows
        "link lost,,,TCP connection closed",
        "recording stopped,,,",
    };
    const QStringList lines = rig.recorded();
    for (int i = 0; i < std::min(lines.size(), expected.size()); ++i) {
        if (expected[i].endsWith(u'*')) {
            QVERIFY2(lines[i].startsWith(expected[i].chopped(1)), qPrintable(lines[i]));
        } else {
            QCOMPARE(lines[i], expected[i]);
        }
    }
    QCOMPARE(lines.size(), expected.size());
    // Every line carries its own time, one millisecond apart here.
    QVERIFY(fileLines(*rig.chosenPath)[5].startsWith("2026-12-08T14:30:00.004+01:00,"));
}

void SessionRecordTest::eachLineIsInTheFileAsItHappens() {
    RecordRig rig;
    rig.choose(true);
    rig.startRecording(rig.path("live.csv"));
    auto& events = rig.window->sessionEvents();
    for (int i = 1; i <= 20; ++i) {
        emit events.monitorRead(QStringLiteral("AmbTemp"), i);
        // Read by another reader while the record is still open.
        const QStringList lines = fileLines(*rig.chosenPath);
        QCOMPARE(lines.size(), i + 3);
        QVERIFY(lines[i + 1].endsWith(QStringLiteral(",reading,AmbTemp,%1,").arg(i)));
        QCOMPARE(lines.last(), QString());
    }
    // So is a reading of the real update.
    rig.update();
    QVERIFY(fileLines(*rig.chosenPath)
                .contains(QRegularExpression(QStringLiteral(".*,reading,AmbTemp,[0-9.]+,"))));
    QVERIFY(rig.recorder.record().recording());
}

void SessionRecordTest::menuAndIndicator() {
    RecordRig rig;
    QVERIFY(!rig.recorder.record().recording());
    QVERIFY(rig.recorder.mnu_RecordToFile()->isEnabled());
    QVERIFY(!rig.recorder.mnu_StopRecording()->isEnabled());
    QCOMPARE(rig.indicator(), QString());
    auto* indicator = rig.window->findChild<QLabel*>(QStringLiteral("StatusBar1_indicator"));
    QVERIFY(indicator != nullptr && indicator->isHidden());
    QCOMPARE(rig.item("mnu_RecordToFile")->text(), QStringLiteral("Record to File..."));
    QVERIFY(rig.window->viewMenu().actions().contains(rig.item("mnu_StopRecording")));

    // Cancelling the file choice starts nothing.
    rig.recorder.mnu_RecordToFile()->trigger();
    QVERIFY(!rig.recorder.record().recording());

    rig.startRecording(rig.path("bench-7.csv"));
    QCOMPARE(rig.indicator(), QStringLiteral("Recording: bench-7.csv"));
    QVERIFY(!indicator->isHidden());
    QCOMPARE(indicator->accessibleName(), indicator->text());
    QCOMPARE(indicator->toolTip(), QDir::toNativeSeparators(*rig.chosenPath));
    QVERIFY(!rig.recorder.mnu_RecordToFile()->isEnabled());
    QVERIFY(rig.recorder.mnu_StopRecording()->isEnabled());
    // The six panels keep their numbers.
    QCOMPARE(rig.panel(1), QStringLiteral("SET PORT!"));

    rig.recorder.mnu_StopRecording()->trigger();
    QCOMPARE(rig.indicator(), QString());
    QVERIFY(indicator->isHidden());
    QVERIFY(!rig.recorder.mnu_StopRecording()->isEnabled());
    QCOMPARE(rig.recorded().value(0).section(u',', 0, 0), QStringLiteral("recording stopped"));
    // Stopped, the console writes nothing more there.
    emit rig.window->sessionEvents().monitorRead(QStringLiteral("KV_MON"), 1.0);
    QCOMPARE(rig.recorded().size(), 1);
    QVERIFY(rig.prompter.shown().empty());
}

void SessionRecordTest::aFullDiskAtTheStart() {
    RecordRig rig;
    rig.startRecording(QStringLiteral("/dev/full"));
    QVERIFY(!rig.recorder.record().recording());
    QCOMPARE(rig.indicator(), QString());
    QVERIFY(rig.recorder.mnu_RecordToFile()->isEnabled());
    QCOMPARE(rig.prompter.texts(),
             (QStringList{"Cannot record to /dev/full: No space left on device\n"
                          "Nothing is being recorded."}));
    // A folder that is not there.
    rig.startRecording(rig.path("gone/session.csv"));
    QVERIFY(!rig.recorder.record().recording());
    QCOMPARE(rig.prompter.shown().size(), std::size_t(2));
}

void SessionRecordTest::aFullDiskWhileRecording() {
    RecordRig rig;
    rig.choose(false);
    rig.startRecording(rig.path("full.csv"));
    const qint64 size = QFileInfo(*rig.chosenPath).size();
    {
        const FileSizeLimit disk(rlim_t(size + 100));
        rig.update();
        // The disk filled within the first reads: the record is off, the
        // message waits for the handler to end, and every read went out.
        QVERIFY(!rig.recorder.record().recording());
        QCOMPARE(rig.indicator(), QString());
        QCOMPARE(rig.sim.commands(), (QStringList{"VMON;", "IMON;", "FMON;", "LVPS;", "TEMP;"}));
        QTRY_COMPARE(rig.prompter.shown().size(), std::size_t(1));
    }
    QVERIFY(rig.prompter.texts().first().startsWith(
        "Writing to " + QDir::toNativeSeparators(*rig.chosenPath) + " failed: File too large"));
    QVERIFY(rig.prompter.texts().first().contains("The recording stopped"));
    // The file holds whole lines only: the one that did not fit is cut off.
    QStringList lines = fileLines(*rig.chosenPath);
    QVERIFY(lines.size() >= 3);
    QCOMPARE(lines.takeLast(), QString());
    for (const QString& line : lines.mid(2)) {
        QVERIFY2(line.count(u',') == 4 && line.endsWith(u','), qPrintable(line));
    }
    // The console goes on; so can a new record.
    rig.sim.clearCommands();
    rig.update();
    QCOMPARE(rig.sim.commands().size(), 5);
    rig.startRecording(rig.path("again.csv"));
    QVERIFY(rig.recorder.record().recording());
}

void SessionRecordTest::aRemovedFolderWhileRecording() {
    RecordRig rig;
    rig.choose(false);
    QVERIFY(QDir(rig.directory.path()).mkdir("usb"));
    rig.startRecording(rig.path("usb/session.csv"));
    QVERIFY(rig.recorder.record().recording());
    QVERIFY(QDir(rig.path("usb")).removeRecursively());
    rig.update();
    QVERIFY(!rig.recorder.record().recording());
    QCOMPARE(rig.sim.commands().size(), 5);
    QTRY_COMPARE(rig.prompter.shown().size(), std::size_t(1));
    QCOMPARE(rig.prompter.shown().front().icon, zov::app::Prompter::Icon::Warning);
    QVERIFY(rig.prompter.texts().first().startsWith(QDir::toNativeSeparators(*rig.chosenPath) +
                                                    " is no longer there"));
}

void SessionRecordTest::aKilledConsoleLeavesACompleteFile() {
    QTemporaryDir directory;
    const QString path = directory.filePath("killed.csv");
    QProcess child;
    child.start(QStringLiteral(RECORD_CHILD), {path});
    QVERIFY(child.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > 200000, 20000);
    child.kill();  // SIGKILL: no handler, no destructor, no flush
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    // The last count the child told is what it had handed to the record.
    const QList<QByteArray> told = child.readAllStandardError().trimmed().split('\n');
    const long long handed = told.last().toLongLong();
    QVERIFY(handed > 0);

    QStringList lines = fileLines(path);
    QCOMPARE(lines.takeFirst(), QStringLiteral("time,event,variable,value,detail"));
    QVERIFY(lines.takeFirst().endsWith(",recording started,,,"));
    // Only the line being written may be cut; nothing written before is lost.
    const QString cut = lines.takeLast();
    long long expected = 1;
    for (const QString& line : lines) {
        QVERIFY2(line.endsWith(QStringLiteral(",reading,KV_MON,%1,").arg(expected)),
                 qPrintable(line));
        ++expected;
    }
    QVERIFY2(
        QStringLiteral("2026-01-01T00:00:00.000+00:00,reading,KV_MON,%1,").arg(expected).size() >=
            cut.size(),
        qPrintable(cut));
    QVERIFY2(lines.size() >= handed, qPrintable(QString::number(lines.size())));
}

QTEST_MAIN(SessionRecordTest)
#include "test_session_record.moc"
