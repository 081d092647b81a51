#pragma once
// Runs a program to its end and times it from just before the start to its exit, for the start-up, memory
// and peer measurements.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

#include <ctime>
#include <stdexcept>
#include <string>

namespace bench {

struct ProcessRun {
    int ExitCode = -1;
    long long SpawnNs = 0; // CLOCK_MONOTONIC just before the start
    long long WallNs = 0;  // from the start to the exit
    long long CpuNs = 0;   // the program's own processor time, user and system
    QByteArray Out;
    QByteArray Err;
};

// The processor time of all children that have ended and been waited for.
inline long long ChildrenCpuNs() {
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    const auto ns = [](const timeval& t) {
        return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_usec * 1000LL;
    };
    return ns(ru.ru_utime) + ns(ru.ru_stime);
}

inline long long MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Raises when the program cannot be started or does not end within `timeoutMs`; a non-zero exit is the
// caller's to judge.
inline ProcessRun RunProgram(const QString& program, const QStringList& args,
                             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                             int timeoutMs = 60000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProgram(program);
    p.setArguments(args);
    ProcessRun r;
    const long long cpuBefore = ChildrenCpuNs();
    r.SpawnNs = MonotonicNs();
    p.start();
    if (!p.waitForStarted(timeoutMs))
        throw std::runtime_error("cannot start " + program.toStdString() + ": " +
                                 p.errorString().toStdString());
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        throw std::runtime_error(program.toStdString() + " did not end within the time limit");
    }
    r.WallNs = MonotonicNs() - r.SpawnNs;
    r.CpuNs = ChildrenCpuNs() - cpuBefore;
    r.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.Out = p.readAllStandardOutput();
    r.Err = p.readAllStandardError();
    return r;
}

// The value of "key=value" on a line of a program's output; raises when the key is missing.
inline long long OutputValue(const QByteArray& out, const char* key) {
    const QByteArray prefix = QByteArray(key) + "=";
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().toLongLong();
    throw std::runtime_error(std::string("no ") + key + " in the program's output: " + out.toStdString());
}

} // namespace bench
