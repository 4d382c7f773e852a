#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace shelfwise::media {

class TScanJob;

// Scanners through SANE. The library is loaded when first asked for, so the program runs
// without it, and devices are looked for only when the user asks: a network backend may take
// seconds to answer.
class TSaneScanner {
public:
    // The library loads and starts; asked once, the answer kept for the session.
    static bool Available();
    // The devices the library finds now; empty with the reason in `error` when none.
    static QStringList FindScanners(QString* error);
    // The device scans use; the first found when none was chosen.
    static void ChooseScanner(const QString& device);
    static QString ChosenScanner();
    // One picture from the chosen device; null with the reason in `error` when the scan failed
    // or was cancelled through `job`.
    static QImage Scan(QString* error, TScanJob* job = nullptr);
};

// A scan on a thread of its own, so that the interface stays live and the user can cancel it.
class TScanJob {
public:
    // Starts the scan; `finished` is called on the scanning thread when it ends.
    explicit TScanJob(std::function<void()> finished);
    // Cancels the scan when it still runs and waits for its thread.
    ~TScanJob();
    TScanJob(const TScanJob&) = delete;
    TScanJob& operator=(const TScanJob&) = delete;

    // Asks the device to stop; the scan then ends without a picture. Any thread may call it.
    void Cancel();
    // Waits for the scan to end and gives its picture; null with the reason in `error` when it
    // failed or was cancelled.
    QImage Result(QString* error);
    // How far the scan got, 0 to 100.
    int Progress() const { return progress_; }

private:
    friend class TSaneScanner;
    // The device being read, so that Cancel can reach it; false once cancelled.
    bool Attach(void* handle);
    void Detach();
    void SetProgress(int percent) { progress_ = percent; }
    bool Cancelled() const;

    mutable std::mutex mutex_;
    void* handle_ = nullptr;
    bool cancelled_ = false;
    std::atomic<int> progress_ = 0;
    QImage image_;
    QString error_;
    std::thread thread_;
};

} // namespace shelfwise::media
