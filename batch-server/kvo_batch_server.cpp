// kvo-batch-server: the controller's batch download server. It takes the
// controller's argument list
//     -root DIR -ports [ADDRESS:]PORT -access_log FILE -error_log FILE
// writes a lighttpd configuration from it into a private temporary directory
// and runs `lighttpd -D -f CONF` as its child: read-only static files from DIR,
// no directory listings, no symbolic links followed, byte ranges for resumed
// pulls. It lives exactly as long as its parent: SIGTERM, SIGINT and SIGHUP
// are passed on to lighttpd, and the death of the parent (even by SIGKILL)
// delivers SIGTERM to the launcher and, through it, to lighttpd.
//
// Exit status: lighttpd's own, 0 after a forwarded termination, 2 for a bad
// command line, 3 when the port is already in use, 4 when lighttpd cannot be
// run.

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitPortInUse = 3;
constexpr int kExitNoServer = 4;
constexpr unsigned kKillDelaySeconds = 5;
constexpr const char* kMimeScript = "/usr/share/lighttpd/create-mime.conf.pl";

volatile sig_atomic_t childPid = 0;
volatile sig_atomic_t terminating = 0;

void forwardTermination(int)
{
    terminating = 1;
    if (childPid > 0)
        kill(childPid, SIGTERM);
    // A server that ignores the request is killed after a while.
    alarm(kKillDelaySeconds);
}

void killChild(int)
{
    if (childPid > 0)
        kill(childPid, SIGKILL);
}

struct Options {
    std::string root;
    std::string bindAddress = "0.0.0.0";
    int port = -1;
    std::string accessLog;
    std::string errorLog;
};

void usage(const char* message)
{
    std::fprintf(stderr,
                 "kvo-batch-server: %s\n"
                 "Usage: kvo-batch-server -root DIR -ports [ADDRESS:]PORT -access_log FILE -error_log FILE\n",
                 message);
}

bool parsePort(const std::string& text, Options& options)
{
    std::string digits = text;
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
        options.bindAddress = text.substr(0, colon);
        digits = text.substr(colon + 1);
        in_addr parsed {};
        if (inet_pton(AF_INET, options.bindAddress.c_str(), &parsed) != 1)
            return false;
    }
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    options.port = std::atoi(digits.c_str());
    return options.port > 0 && options.port <= 65535;
}

// lighttpd strings are double-quoted; refuse what could end one or start
// another directive rather than trying to escape it.
bool safeForConfig(const std::string& text)
{
    for (const unsigned char c : text)
        if (c == '"' || c == '\\' || c < 0x20 || c == 0x7f)
            return false;
    return !text.empty();
}

std::string absolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    std::vector<char> buffer(4096);
    if (!getcwd(buffer.data(), buffer.size()))
        return path;
    return std::string(buffer.data()) + "/" + path;
}

bool parseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; i += 2) {
        const std::string key = argv[i];
        if (i + 1 >= argc) {
            usage(("missing value after " + key).c_str());
            return false;
        }
        const std::string value = argv[i + 1];
        if (key == "-root")
            options.root = value;
        else if (key == "-ports") {
            if (!parsePort(value, options)) {
                usage(("bad port '" + value + "'").c_str());
                return false;
            }
        } else if (key == "-access_log")
            options.accessLog = value;
        else if (key == "-error_log")
            options.errorLog = value;
        else {
            usage(("unknown option '" + key + "'").c_str());
            return false;
        }
    }
    if (options.root.empty() || options.port < 0 || options.accessLog.empty() || options.errorLog.empty()) {
        usage("every option is required");
        return false;
    }
    // The root without symbolic links, so that lighttpd's refusal to follow
    // links applies only to links inside the repository.
    if (char* resolved = realpath(options.root.c_str(), nullptr)) {
        options.root = resolved;
        std::free(resolved);
    } else {
        std::fprintf(stderr, "kvo-batch-server: warning: document root %s: %s\n", options.root.c_str(),
                     std::strerror(errno));
        options.root = absolutePath(options.root);
    }
    options.accessLog = absolutePath(options.accessLog);
    options.errorLog = absolutePath(options.errorLog);
    for (const std::string* text : {&options.root, &options.accessLog, &options.errorLog}) {
        if (!safeForConfig(*text)) {
            usage(("path not usable (quote, backslash or control character): " + *text).c_str());
            return false;
        }
    }
    return true;
}

// True when the port can be bound now; lighttpd itself would only say so in
// its error log.
bool portIsFree(const Options& options)
{
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return true;
    const int on = 1;
    setsockopt(probe, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(options.port));
    inet_pton(AF_INET, options.bindAddress.c_str(), &address.sin_addr);
    const bool free = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 || errno != EADDRINUSE;
    close(probe);
    return free;
}

std::string configuration(const Options& options)
{
    std::string text;
    text += "server.document-root = \"" + options.root + "\"\n";
    text += "server.bind = \"" + options.bindAddress + "\"\n";
    text += "server.port = " + std::to_string(options.port) + "\n";
    text += "server.tag = \"kvo-batch-server\"\n";
    text += "server.modules = ( \"mod_accesslog\" )\n";
    text += "accesslog.filename = \"" + options.accessLog + "\"\n";
    text += "server.errorlog = \"" + options.errorLog + "\"\n";
    text += "server.follow-symlink = \"disable\"\n";
    // No mod_dirlisting, mod_indexfile, CGI or other module that runs code is
    // loaded: a directory answers 403, a file is sent as it is.
    text += "server.max-keep-alive-idle = 30\n";
    if (access(kMimeScript, R_OK) == 0) {
        text += std::string("include_shell \"") + kMimeScript + "\"\n";
    } else {
        text += "mimetype.assign = (\n"
                "  \".mpg\" => \"video/mpeg\", \".mpeg\" => \"video/mpeg\", \".mp4\" => \"video/mp4\",\n"
                "  \".avi\" => \"video/x-msvideo\", \".mov\" => \"video/quicktime\", \".ts\" => \"video/mp2t\",\n"
                "  \".mkv\" => \"video/x-matroska\", \".mp3\" => \"audio/mpeg\", \".wav\" => \"audio/x-wav\",\n"
                "  \".jpg\" => \"image/jpeg\", \".jpeg\" => \"image/jpeg\", \".png\" => \"image/png\",\n"
                "  \".bmp\" => \"image/bmp\", \".gif\" => \"image/gif\", \".txt\" => \"text/plain\",\n"
                "  \"\" => \"application/octet-stream\" )\n";
    }
    return text;
}

// lighttpd is usually in an sbin directory that a user's PATH lacks.
std::string findServer()
{
    std::string path = getenv("PATH") ? getenv("PATH") : "";
    path += ":/usr/sbin:/usr/local/sbin:/sbin";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string directory = path.substr(start, end - start);
        if (!directory.empty()) {
            const std::string candidate = directory + "/lighttpd";
            if (access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return std::string();
}

bool writeFile(const std::string& path, const std::string& text)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n <= 0) {
            close(fd);
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return close(fd) == 0;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef __linux__
    // Die with the parent; if it is already gone, do not start at all.
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        return 0;
#endif

    Options options;
    if (!parseArguments(argc, argv, options))
        return kExitUsage;
    if (!portIsFree(options)) {
        std::fprintf(stderr, "kvo-batch-server: port %d is already in use by another program\n", options.port);
        return kExitPortInUse;
    }
    const std::string server = findServer();
    if (server.empty()) {
        std::fprintf(stderr, "kvo-batch-server: lighttpd is not installed (looked in PATH and the sbin directories)\n");
        return kExitNoServer;
    }

    const char* tmp = getenv("TMPDIR");
    std::string directory = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvo-batch-server.XXXXXX";
    if (!mkdtemp(directory.data())) {
        std::fprintf(stderr, "kvo-batch-server: cannot create a temporary directory: %s\n", std::strerror(errno));
        return kExitNoServer;
    }
    const std::string configFile = directory + "/lighttpd.conf";
    if (!writeFile(configFile, configuration(options))) {
        std::fprintf(stderr, "kvo-batch-server: cannot write %s: %s\n", configFile.c_str(), std::strerror(errno));
        rmdir(directory.c_str());
        return kExitNoServer;
    }

    // Signals wait until the child's id is known, so none is lost in between.
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGALRM})
        sigaddset(&blocked, signal);
    sigprocmask(SIG_BLOCK, &blocked, &previous);
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = forwardTermination;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    action.sa_handler = killChild;
    sigaction(SIGALRM, &action, nullptr);

    const pid_t launcher = getpid();
    const pid_t child = fork();
    if (child < 0) {
        std::fprintf(stderr, "kvo-batch-server: cannot start lighttpd: %s\n", std::strerror(errno));
        unlink(configFile.c_str());
        rmdir(directory.c_str());
        return kExitNoServer;
    }
    if (child == 0) {
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGALRM})
            sigaction(signal, &defaults, nullptr);
        sigprocmask(SIG_SETMASK, &previous, nullptr);
#ifdef __linux__
        // lighttpd goes with the launcher, even when the launcher is killed outright.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != launcher)
            _exit(0);
#endif
        execl(server.c_str(), "lighttpd", "-D", "-f", configFile.c_str(), static_cast<char*>(nullptr));
        std::fprintf(stderr, "kvo-batch-server: cannot run %s: %s\n", server.c_str(), std::strerror(errno));
        _exit(127);
    }
    childPid = child;
    sigprocmask(SIG_SETMASK, &previous, nullptr);

    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            status = 0;
            break;
        }
    }
    childPid = 0;
    unlink(configFile.c_str());
    rmdir(directory.c_str());

    if (WIFEXITED(status)) {
        const int code = WEXITSTATUS(status);
        if (code == 127)
            return kExitNoServer;
        return terminating && code == 0 ? 0 : code;
    }
    if (WIFSIGNALED(status))
        return terminating ? 0 : 128 + WTERMSIG(status);
    return 0;
}
