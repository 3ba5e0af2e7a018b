// Lines for the control panel from a named pipe (created when missing; any
// process may write lines to it, `echo 'interlock open' > PIPE` from a shell)
// or from standard input ("-"). Lines longer than kMaxLine are thrown away.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zov::sim {

class ControlChannel : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t kMaxLine = 1024;

    // Called with every line, or with nothing for a line that was too long.
    using LineSink = std::function<void(std::optional<std::string_view> line)>;

    explicit ControlChannel(LineSink sink, QObject* parent = nullptr);
    ~ControlChannel() override;

    bool open(const QString& path, QString* error);

private:
    void readAvailable();
    void take(std::string_view bytes);
    void close();

    LineSink m_sink;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_fd = -1;
    bool m_ownsFd = false;
    QString m_createdPipe;
    std::string m_line;
    bool m_overlong = false;
};

}  // namespace zov::sim
