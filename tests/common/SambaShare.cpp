#include "tests/common/SambaShare.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int startPatienceMs = 20000;
const char *const environmentNames[] = {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "GIO_USE_VOLUME_MONITOR",
                                        "GVFS_REMOTE_VOLUME_MONITOR_IGNORE"};

template <typename Condition>
bool waitFor(Condition condition, int patienceMs = startPatienceMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > patienceMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool answers(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// Starts a program in a session of its own, as a child of this process; its process
// id is the session's. smbd makes its session itself (and cannot when it already leads one).
std::unique_ptr<QProcess> startInOwnSession(const QString &program, const QStringList &arguments, const QString &log,
                                            const QProcessEnvironment &environment)
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessEnvironment(environment);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(log);
    process->setStandardErrorFile(log);
    if (!program.endsWith(QLatin1String("/smbd")))
        process->setChildProcessModifier([] { ::setsid(); });
    process->start();
    if (!process->waitForStarted())
        return nullptr;
    return process;
}

pid_t sessionOf(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // pid (comm) state ppid pgrp session ...
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 3 ? pid_t(fields.at(3).toInt()) : -1;
}

bool isGone(pid_t pid)
{
    ::waitpid(pid, nullptr, WNOHANG); // reaps our own children
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

QList<pid_t> processesInSessions(const QList<pid_t> &sessions)
{
    QList<pid_t> found;
    for (const QString &name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = pid_t(name.toInt(&number));
        const pid_t session = number ? sessionOf(pid) : -1;
        if (session > 0 && pid != ::getpid() && sessions.contains(session) && !isGone(pid))
            found.append(pid);
    }
    return found;
}

bool isMounted(const QString &folder)
{
    QFile table(QStringLiteral("/proc/self/mounts"));
    return table.open(QIODevice::ReadOnly) && table.readAll().contains(" " + QFile::encodeName(folder) + " ");
}

bool run(const QString &program, const QStringList &arguments, const QByteArray &input = QByteArray())
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    return process.waitForFinished(startPatienceMs) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

} // namespace

SambaShare::SambaShare(const QString &shareOptions)
    : m_shareOptions(shareOptions)
{
    for (const char *name : environmentNames)
        m_savedEnvironment.append(qgetenv(name));
    if (!start())
        stopAll();
}

SambaShare::~SambaShare()
{
    stopAll();
}

QString SambaShare::guestAddress() const
{
    return QStringLiteral("smb://127.0.0.1:%1/guestshare").arg(m_port);
}

QString SambaShare::secureAddress() const
{
    return QStringLiteral("smb://127.0.0.1:%1/secure").arg(m_port);
}

QString SambaShare::missingAddress() const
{
    return QStringLiteral("smb://127.0.0.1:%1/nosuchshare").arg(m_port);
}

QString SambaShare::guestFolder() const
{
    return path(QStringLiteral("share-guest"));
}

QString SambaShare::secureFolder() const
{
    return path(QStringLiteral("share-secure"));
}

bool SambaShare::start()
{
    if (::geteuid() != 0) {
        m_failure = QStringLiteral("the SMB server here runs as root, and this run is not root");
        return false;
    }
    for (const char *program : {"/usr/sbin/smbd", "/usr/bin/smbpasswd", "/usr/bin/dbus-daemon", "/usr/libexec/gvfsd",
                                "/usr/libexec/gvfsd-fuse", "/usr/libexec/gvfsd-smb", "/usr/bin/gio"}) {
        if (!QFile::exists(QString::fromLatin1(program))) {
            m_failure = QStringLiteral("%1 is not installed (scripts/install-deps.sh installs it)").arg(program);
            return false;
        }
    }
    m_port = freeLoopbackPort();
    for (const char *folder : {"private", "lock", "state", "cache", "pid", "ncalrpc", "binddns", "logs", "run",
                               "home/.smb", "services", "share-guest", "share-secure"})
        QDir().mkpath(path(QString::fromLatin1(folder)));
    QFile::setPermissions(path(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QFile map(path(QStringLiteral("users.map")));
    map.open(QIODevice::WriteOnly);
    map.write("root = " + user().toLatin1() + "\n");
    map.close();
    QString shareLines;
    for (const QString &line : m_shareOptions.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        shareLines += QStringLiteral("  ") + line.trimmed() + QLatin1Char('\n');
    QString config = QStringLiteral("[global]\n"
                                    "  server role = standalone server\n"
                                    "  workgroup = WORKGROUP\n"
                                    "  interfaces = lo\n"
                                    "  bind interfaces only = yes\n"
                                    "  smb ports = %2\n"
                                    "  disable netbios = yes\n"
                                    "  private dir = %1/private\n"
                                    "  lock directory = %1/lock\n"
                                    "  state directory = %1/state\n"
                                    "  cache directory = %1/cache\n"
                                    "  pid directory = %1/pid\n"
                                    "  ncalrpc dir = %1/ncalrpc\n"
                                    "  binddns dir = %1/binddns\n"
                                    "  log file = %1/logs/smbd.log\n"
                                    "  passdb backend = tdbsam:%1/private/passdb.tdb\n"
                                    "  username map = %1/users.map\n"
                                    "  map to guest = Bad User\n"
                                    "  load printers = no\n"
                                    "  printing = bsd\n"
                                    "  printcap name = /dev/null\n"
                                    "  disable spoolss = yes\n"
                                    "  usershare path =\n"
                                    "[guestshare]\n"
                                    "  path = %1/share-guest\n"
                                    "  guest ok = yes\n"
                                    "  read only = no\n"
                                    "  force user = root\n"
                                    "%3"
                                    "[secure]\n"
                                    "  path = %1/share-secure\n"
                                    "  valid users = root\n"
                                    "  read only = no\n"
                                    "  force user = root\n"
                                    "%3")
                         .arg(m_work.path())
                         .arg(m_port)
                         .arg(shareLines);
    QFile smbConf(path(QStringLiteral("smb.conf")));
    smbConf.open(QIODevice::WriteOnly);
    smbConf.write(config.toUtf8());
    smbConf.close();
    QFile clientConf(path(QStringLiteral("home/.smb/smb.conf")));
    clientConf.open(QIODevice::WriteOnly);
    clientConf.write("[global]\n  workgroup = WORKGROUP\n  client min protocol = SMB2\n");
    clientConf.close();

    const QByteArray secret = password().toLatin1() + "\n" + password().toLatin1() + "\n";
    if (!run(QStringLiteral("smbpasswd"), {QStringLiteral("-c"), path(QStringLiteral("smb.conf")), QStringLiteral("-a"),
                                           QStringLiteral("-s"), QStringLiteral("root")},
             secret)) {
        m_failure = QStringLiteral("smbpasswd could not add the share's user");
        return false;
    }
    if (!startServer())
        return false;
    return startDesktopSession();
}

bool SambaShare::startServer()
{
    if (!startChild(QStringLiteral("/usr/sbin/smbd"),
                    {QStringLiteral("--foreground"), QStringLiteral("-s"), path(QStringLiteral("smb.conf")),
                     QStringLiteral("-l"), path(QStringLiteral("logs"))},
                    QStringLiteral("smbd"))) {
        m_failure = QStringLiteral("smbd could not be started");
        return false;
    }
    m_smbd = pid_t(m_children.back()->processId());
    if (!waitFor([&] { return answers(m_port); })) {
        QFile log(path(QStringLiteral("logs/smbd.out")));
        log.open(QIODevice::ReadOnly);
        m_failure = QStringLiteral("smbd did not answer on 127.0.0.1:%1: %2")
                        .arg(m_port)
                        .arg(QString::fromLocal8Bit(log.readAll().right(600)));
        return false;
    }
    return true;
}

bool SambaShare::startDesktopSession()
{
    const QString busAddress = QStringLiteral("unix:path=") + path(QStringLiteral("bus"));
    QFile busConfig(path(QStringLiteral("bus.conf")));
    busConfig.open(QIODevice::WriteOnly);
    // No services to start on demand: everything the shares need is started here.
    busConfig.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                   "<busconfig><type>session</type><listen>%1</listen>\n"
                                   "<servicedir>%2</servicedir>\n"
                                   "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                   "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                        .arg(busAddress, path(QStringLiteral("services")))
                        .toUtf8());
    busConfig.close();
    const bool bus = startChild(QStringLiteral("/usr/bin/dbus-daemon"),
                                {QStringLiteral("--config-file=") + path(QStringLiteral("bus.conf")),
                                 QStringLiteral("--nofork"), QStringLiteral("--nopidfile")},
                                QStringLiteral("dbus"));
    if (!bus || !waitFor([&] { return QFile::exists(path(QStringLiteral("bus"))); })) {
        m_failure = QStringLiteral("the private D-Bus session did not start");
        return false;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", busAddress.toUtf8());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path(QStringLiteral("run"))));
    qputenv("GIO_USE_VOLUME_MONITOR", "unix");
    qputenv("GVFS_REMOTE_VOLUME_MONITOR_IGNORE", "1");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
    const bool gvfsd = startChild(QStringLiteral("/usr/libexec/gvfsd"), {}, QStringLiteral("gvfsd"), environment);
    if (!gvfsd || !waitFor([&] { return isMounted(path(QStringLiteral("run/gvfs"))); })) {
        m_failure = QStringLiteral("GVfs did not mount its FUSE folder");
        return false;
    }
    return true;
}

bool SambaShare::startChild(const QString &program, const QStringList &arguments, const QString &name,
                            const QProcessEnvironment &environment)
{
    std::unique_ptr<QProcess> child =
        startInOwnSession(program, arguments, path(QStringLiteral("logs/%1.out").arg(name)), environment);
    if (!child)
        return false;
    m_sessions.append(pid_t(child->processId()));
    m_children.push_back(std::move(child));
    return true;
}

void SambaShare::stopServer()
{
    if (m_smbd == 0)
        return;
    // The server and each of its connections end at once, as when the machine goes away.
    for (pid_t pid : processesInSessions({m_smbd}))
        ::kill(pid, SIGKILL);
    waitFor([&] { return processesInSessions({m_smbd}).isEmpty() && isGone(m_smbd); }, 5000);
    m_sessions.removeAll(m_smbd);
    m_smbd = 0;
}

QString SambaShare::mountGuest()
{
    if (!m_failure.isEmpty())
        return QString();
    // Folder names of GVfs: keys sorted, "port=" unless the port is 445.
    const QString folder = path(QStringLiteral("run/gvfs/smb-share:port=%1,server=127.0.0.1,share=guestshare").arg(m_port));
    QProcess gio;
    gio.setStandardInputFile(QProcess::nullDevice());
    gio.start(QStringLiteral("gio"), {QStringLiteral("mount"), QStringLiteral("-a"), guestAddress()});
    const bool mounted = gio.waitForFinished(startPatienceMs) && gio.exitStatus() == QProcess::NormalExit
                         && gio.exitCode() == 0;
    if (!mounted || !waitFor([&] { return QFileInfo(folder).isDir(); }, 10000)) {
        m_failure = QStringLiteral("gio mount %1 failed: %2")
                        .arg(guestAddress(), QString::fromLocal8Bit(gio.readAllStandardError().right(400)));
        return QString();
    }
    return folder;
}

QString SambaShare::mountGuestHolding(const QString &name)
{
    QFile seed(guestFolder() + QLatin1Char('/') + name);
    if (m_failure.isEmpty() && !seed.open(QIODevice::WriteOnly))
        m_failure = QStringLiteral("cannot write %1: %2").arg(seed.fileName(), seed.errorString());
    seed.close();
    return mountGuest();
}

void SambaShare::freezeServer()
{
    if (m_smbd == 0)
        return;
    for (pid_t pid : processesInSessions({m_smbd}))
        ::kill(pid, SIGSTOP);
}

void SambaShare::thawServer()
{
    if (m_smbd == 0)
        return;
    for (pid_t pid : processesInSessions({m_smbd}))
        ::kill(pid, SIGCONT);
}

void SambaShare::stopAll()
{
    thawServer();
    // gvfsd-fuse unmounts its folder on TERM; then the rest of each session goes.
    const QList<pid_t> everything = processesInSessions(m_sessions);
    for (pid_t pid : everything)
        ::kill(pid, SIGTERM);
    QFile dcerpcd(path(QStringLiteral("pid/samba-dcerpcd.pid")));
    if (dcerpcd.open(QIODevice::ReadOnly)) {
        const pid_t pid = pid_t(dcerpcd.readAll().trimmed().toInt());
        if (pid > 0)
            ::kill(pid, SIGTERM);
    }
    if (!waitFor([&] { return processesInSessions(m_sessions).isEmpty(); }, 3000)) {
        for (pid_t pid : processesInSessions(m_sessions))
            ::kill(pid, SIGKILL);
        waitFor([&] { return processesInSessions(m_sessions).isEmpty(); }, 3000);
    }
    if (isMounted(path(QStringLiteral("run/gvfs"))))
        ::umount2(QFile::encodeName(path(QStringLiteral("run/gvfs"))).constData(), MNT_DETACH);
    m_sessions.clear();
    for (const std::unique_ptr<QProcess> &child : m_children)
        child->waitForFinished(1000); // reaped
    m_children.clear();
    m_smbd = 0;
    for (qsizetype i = 0; i < m_savedEnvironment.size(); ++i) {
        if (m_savedEnvironment.at(i).isNull())
            qunsetenv(environmentNames[i]);
        else
            qputenv(environmentNames[i], m_savedEnvironment.at(i));
    }
}
