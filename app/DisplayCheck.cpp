#include "app/DisplayCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kHint =
    "start it from a desktop session, or set QT_QPA_PLATFORM=offscreen for a headless check.";

std::optional<std::string> Env(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

std::string EnvOrEmpty(const char* name)
{
    return Env(name).value_or(std::string());
}

// The value of a toolkit option from the command line.
std::optional<std::string> OptionValue(const TQtOptionValues& options, std::string_view name)
{
    const auto found = options.find(name);
    if (found == options.end())
        return std::nullopt;
    return found->second;
}

// The platform list the toolkit will try: the argument, then the environment, then the
// default. The default of this system is X11, with Wayland tried first in a Wayland session
// (XDG_SESSION_TYPE "wayland", or WAYLAND_DISPLAY present).
std::string PlatformList(const TQtOptionValues& options)
{
    if (const std::optional<std::string> arg = OptionValue(options, "platform"))
        return *arg;
    if (std::string env = EnvOrEmpty("QT_QPA_PLATFORM"); !env.empty())
        return env;
    if (EnvOrEmpty("XDG_SESSION_TYPE") == "wayland" || Env("WAYLAND_DISPLAY").has_value())
        return "wayland;xcb";
    return "xcb";
}

// The folders the toolkit looks for platform plugins in, in its order.
QStringList PluginFolders(const TQtOptionValues& options)
{
    QStringList folders;
    if (const std::optional<std::string> arg = OptionValue(options, "platformpluginpath"))
        folders << QString::fromStdString(*arg);
    if (const std::string env = EnvOrEmpty("QT_QPA_PLATFORM_PLUGIN_PATH"); !env.empty())
        folders << QString::fromStdString(env);
    for (const QString& path :
         QString::fromStdString(EnvOrEmpty("QT_PLUGIN_PATH")).split(u':', Qt::SkipEmptyParts))
        folders << path + QStringLiteral("/platforms");
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    folders << QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() +
                   QStringLiteral("/platforms");
    return folders;
}

// The keys of the platform plugins installed, read from the plugins' metadata without loading
// them, in lower case.
QStringList InstalledPlatforms(const TQtOptionValues& options)
{
    QStringList keys;
    for (const QString& folder : PluginFolders(options)) {
        const QDir dir(folder);
        for (const QString& file : dir.entryList(QDir::Files)) {
            const QJsonObject meta = QPluginLoader(dir.filePath(file)).metaData();
            if (!meta.value(QStringLiteral("IID"))
                     .toString()
                     .startsWith(QStringLiteral("org.qt-project.Qt.QPA.QPlatformIntegration")))
                continue;
            const QJsonArray names = meta.value(QStringLiteral("MetaData"))
                                         .toObject()
                                         .value(QStringLiteral("Keys"))
                                         .toArray();
            for (const auto& name : names) {
                const QString key = name.toString().toLower();
                if (!key.isEmpty() && !keys.contains(key))
                    keys << key;
            }
        }
    }
    return keys;
}

// Sets fd non-blocking, connects and waits up to two seconds for the connection.
bool ConnectWithin(int fd, const sockaddr* address, socklen_t length)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return false;
    if (connect(fd, address, length) == 0)
        return true;
    if (errno != EINPROGRESS)
        return false;
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, 2000) != 1)
        return false;
    int error = 0;
    socklen_t size = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

bool ConnectLocal(const std::string& path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                               path.size() + (abstract ? 0 : 1));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool ok = ConnectWithin(fd, reinterpret_cast<const sockaddr*>(&address), length);
    close(fd);
    return ok;
}

bool ConnectTcp(const std::string& host, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    bool ok = false;
    for (const addrinfo* a = found; a != nullptr && !ok; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        ok = ConnectWithin(fd, a->ai_addr, a->ai_addrlen);
        close(fd);
    }
    freeaddrinfo(found);
    return ok;
}

// An X display name "[protocol/][host]:number[.screen]" accepts a connection: the local socket
// of the display for an empty host or "unix", TCP port 6000 + number otherwise.
bool XDisplayAnswers(const std::string& name)
{
    if (!name.empty() && name[0] == '/')
        return ConnectLocal(name, false);
    const size_t colon = name.rfind(':');
    if (colon == std::string::npos)
        return false;
    std::string host = name.substr(0, colon);
    if (const size_t slash = host.find('/'); slash != std::string::npos)
        host = host.substr(slash + 1);
    const std::string rest = name.substr(colon + 1);
    const size_t digits = rest.find_first_not_of("0123456789");
    const std::string number = rest.substr(0, digits);
    if (number.empty() || number.size() > 5 || (digits != std::string::npos && rest[digits] != '.'))
        return false;
    const int display = std::atoi(number.c_str());
    if (host.empty() || host == "unix") {
        const std::string socket = "/tmp/.X11-unix/X" + number;
        return ConnectLocal(socket, true) || ConnectLocal(socket, false);
    }
    return display <= 65535 - 6000 && ConnectTcp(host, 6000 + display);
}

// The Wayland compositor named by WAYLAND_SOCKET or WAYLAND_DISPLAY (default "wayland-0" in
// XDG_RUNTIME_DIR) accepts a connection.
bool WaylandDisplayAnswers(std::string& name)
{
    if (!EnvOrEmpty("WAYLAND_SOCKET").empty()) {
        name = "WAYLAND_SOCKET";
        return true;
    }
    name = EnvOrEmpty("WAYLAND_DISPLAY");
    if (name.empty())
        name = "wayland-0";
    if (name[0] == '/')
        return ConnectLocal(name, false);
    const std::string runtime = EnvOrEmpty("XDG_RUNTIME_DIR");
    return !runtime.empty() && ConnectLocal(runtime + "/" + name, false);
}

// Why the platform cannot start, or nothing when it can.
std::optional<std::string> PlatformProblem(const std::string& platform,
                                           const TQtOptionValues& options)
{
    if (platform == "xcb") {
        const std::string display = OptionValue(options, "display").value_or(EnvOrEmpty("DISPLAY"));
        if (display.empty())
            return "OrvexDemo needs a display: " + std::string(kHint);
        if (!XDisplayAnswers(display))
            return "OrvexDemo cannot open the X display '" + display + "': " + std::string(kHint);
        return std::nullopt;
    }
    if (platform.rfind("wayland", 0) == 0) {
        std::string name;
        if (!WaylandDisplayAnswers(name))
            return "OrvexDemo cannot open the Wayland display '" + name +
                   "': " + std::string(kHint);
        return std::nullopt;
    }
    // offscreen, minimal and the other platforms need no display server.
    return std::nullopt;
}

} // namespace

TDisplayCheck CheckDisplay(const TQtOptionValues& options)
{
    const std::string list = PlatformList(options);
    const QStringList installed = InstalledPlatforms(options);
    std::optional<std::string> problem;
    std::string missing;
    for (const QString& entry : QString::fromStdString(list).split(u';')) {
        // "name:arguments": the name picks the plugin, case-insensitively.
        const std::string name = entry.section(u':', 0, 0).toLower().toStdString();
        if (name.empty() || !installed.contains(QString::fromStdString(name))) {
            if (missing.empty())
                missing = entry.section(u':', 0, 0).toStdString();
            continue;
        }
        const std::optional<std::string> why = PlatformProblem(name, options);
        if (!why)
            return {true, name, {}};
        if (!problem)
            problem = why;
    }
    TDisplayCheck check;
    check.Ok = false;
    if (problem) {
        check.Message = *problem;
    } else {
        QStringList sorted = installed;
        sorted.sort();
        check.Message =
            "OrvexDemo cannot start: the display platform '" + missing +
            "' is not available (available: " + sorted.join(QStringLiteral(", ")).toStdString() +
            ").";
    }
    return check;
}

int HandleDisplayCheck(const TQtOptionValues& options)
{
    const TDisplayCheck check = CheckDisplay(options);
    if (check.Ok)
        return -1;
    std::fprintf(stderr, "%s\n", check.Message.c_str());
    return 1;
}

namespace {

QtMessageHandler PreviousHandler = nullptr;

void StartHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        // The toolkit gives up on its platform: say so in one line and end without an abort.
        std::fprintf(stderr, "OrvexDemo cannot open its display: %s\n", kHint.data());
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (PreviousHandler != nullptr) {
        PreviousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

} // namespace

TDisplayStartGuard::TDisplayStartGuard()
{
    PreviousHandler = qInstallMessageHandler(StartHandler);
}

TDisplayStartGuard::~TDisplayStartGuard()
{
    qInstallMessageHandler(PreviousHandler);
    PreviousHandler = nullptr;
}
