#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace shelfwise::media {

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
    // One picture from the chosen device; null with the reason in `error` when the scan failed.
    static QImage Scan(QString* error);
};

} // namespace shelfwise::media
