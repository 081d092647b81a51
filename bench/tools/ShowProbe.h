#pragma once
// Notes the moment a top-level window is first on screen and the process's peak resident memory, prints
// both on standard output and ends the event loop. The start-up programs (the bare window and the full
// program) share it, so both stop their clocks at the same point: after the first complete paint pass of
// the window, that is, once every widget of the first frame has been painted and flushed.

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>
#include <ctime>

class ShowProbe : public QObject {
public:
    explicit ShowProbe(QWidget* window) : QObject(window) { window->installEventFilter(this); }

    // CLOCK_MONOTONIC is shared by all processes, so the launcher can subtract its own spawn time.
    static long long MonotonicNs() {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
    }

    // The process's processor time so far, user and system.
    static long long CpuNs() {
        rusage ru{};
        getrusage(RUSAGE_SELF, &ru);
        return (static_cast<long long>(ru.ru_utime.tv_sec) + ru.ru_stime.tv_sec) * 1000000000LL +
               (static_cast<long long>(ru.ru_utime.tv_usec) + ru.ru_stime.tv_usec) * 1000LL;
    }

    static long PeakRssKb() {
        rusage ru{};
        getrusage(RUSAGE_SELF, &ru);
        return ru.ru_maxrss;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!Seen && event->type() == QEvent::Paint) {
            Seen = true;
            // The children of the window paint after it in the same pass; a zero timer fires once the
            // whole pass (and the flush to the screen) is done.
            QTimer::singleShot(0, this, [] {
                const long long shown = MonotonicNs();
                std::printf("shown_ns=%lld\ncpu_ns=%lld\nmaxrss_kb=%ld\n", shown, CpuNs(), PeakRssKb());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool Seen = false;
};
