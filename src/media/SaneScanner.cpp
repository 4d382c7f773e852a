#include "media/SaneScanner.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <dlfcn.h>
#include <sane/sane.h>
#include <vector>

namespace shelfwise::media {
namespace {

// The library's entry points, looked up once.
struct Sane {
    decltype(&sane_init) Init = nullptr;
    decltype(&sane_exit) Exit = nullptr;
    decltype(&sane_get_devices) GetDevices = nullptr;
    decltype(&sane_open) Open = nullptr;
    decltype(&sane_close) Close = nullptr;
    decltype(&sane_start) Start = nullptr;
    decltype(&sane_get_parameters) GetParameters = nullptr;
    decltype(&sane_read) Read = nullptr;
    decltype(&sane_cancel) Cancel = nullptr;
    decltype(&sane_strstatus) StatusText = nullptr;
};

const Sane* Library() {
    static const Sane* const loaded = []() -> const Sane* {
        void* handle = dlopen("libsane.so.1", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            return nullptr;
        }
        static Sane sane;
        bool found = true;
        const auto look = [&](auto& entry, const char* name) {
            entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(handle, name));
            found = found && entry != nullptr;
        };
        look(sane.Init, "sane_init");
        look(sane.Exit, "sane_exit");
        look(sane.GetDevices, "sane_get_devices");
        look(sane.Open, "sane_open");
        look(sane.Close, "sane_close");
        look(sane.Start, "sane_start");
        look(sane.GetParameters, "sane_get_parameters");
        look(sane.Read, "sane_read");
        look(sane.Cancel, "sane_cancel");
        look(sane.StatusText, "sane_strstatus");
        return found ? &sane : nullptr;
    }();
    return loaded;
}

QString& Chosen() {
    static QString device;
    return device;
}

// One session of the library: started for each search or scan, so that it reads its
// configuration anew, and ended with it.
class Session {
public:
    explicit Session(const Sane& sane) : sane_(sane) {
        SANE_Int version = 0;
        started_ = sane_.Init(&version, nullptr) == SANE_STATUS_GOOD;
    }
    ~Session() {
        if (started_) {
            sane_.Exit();
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool Started() const { return started_; }

private:
    const Sane& sane_;
    bool started_ = false;
};

QStringList Devices(const Sane& sane) {
    const SANE_Device** list = nullptr;
    QStringList names;
    if (sane.GetDevices(&list, SANE_FALSE) == SANE_STATUS_GOOD && list != nullptr) {
        for (; *list != nullptr; ++list) {
            names.append(QString::fromUtf8((*list)->name));
        }
    }
    return names;
}

// A frame's samples as 8-bit values, a 1-bit sample set meaning black.
std::vector<unsigned char> Samples(const std::string& bytes, const SANE_Parameters& p, int perPixel,
                                   int lines) {
    const std::size_t count =
        static_cast<std::size_t>(p.pixels_per_line) * static_cast<std::size_t>(perPixel);
    std::vector<unsigned char> samples(count * static_cast<std::size_t>(lines));
    for (int y = 0; y < lines; ++y) {
        const char* line = bytes.data() + static_cast<std::size_t>(y) * p.bytes_per_line;
        for (std::size_t i = 0; i < count; ++i) {
            unsigned char value = 0;
            if (p.depth == 1) {
                value = (line[i / 8] >> (7 - i % 8) & 1) != 0 ? 0 : 255;
            } else if (p.depth == 16) {
                std::uint16_t wide = 0;
                std::memcpy(&wide, line + 2 * i, 2);
                value = static_cast<unsigned char>(wide >> 8);
            } else {
                value = static_cast<unsigned char>(line[i]);
            }
            samples[static_cast<std::size_t>(y) * count + i] = value;
        }
    }
    return samples;
}

} // namespace

bool TSaneScanner::Available() {
    static const bool available = [] {
        const Sane* sane = Library();
        return sane != nullptr && Session(*sane).Started();
    }();
    return available;
}

QStringList TSaneScanner::FindScanners(QString* error) {
    const Sane* sane = Library();
    if (sane == nullptr) {
        *error = QStringLiteral("The scanner library (libsane) is not installed.");
        return {};
    }
    const Session session(*sane);
    const QStringList devices = session.Started() ? Devices(*sane) : QStringList();
    if (devices.isEmpty()) {
        *error = QStringLiteral("No scanner was found.");
    }
    return devices;
}

void TSaneScanner::ChooseScanner(const QString& device) {
    Chosen() = device;
}

QString TSaneScanner::ChosenScanner() {
    return Chosen();
}

QImage TSaneScanner::Scan(QString* error, TScanJob* job) {
    const Sane* sane = Library();
    if (sane == nullptr) {
        *error = QStringLiteral("The scanner library (libsane) is not installed.");
        return {};
    }
    const Session session(*sane);
    QString device = Chosen();
    if (device.isEmpty() && session.Started()) {
        const QStringList devices = Devices(*sane);
        device = devices.isEmpty() ? QString() : devices.first();
    }
    if (!session.Started() || device.isEmpty()) {
        *error = QStringLiteral("No scanner was found.");
        return {};
    }
    SANE_Handle handle = nullptr;
    SANE_Status status = sane->Open(device.toUtf8().constData(), &handle);
    if (status != SANE_STATUS_GOOD) {
        *error = QString::fromUtf8(sane->StatusText(status));
        return {};
    }
    if (job != nullptr && !job->Attach(handle)) {
        status = SANE_STATUS_CANCELLED;
    }
    QImage image;
    // Grey or colour in one frame, or red, green and blue one after the other.
    std::array<std::vector<unsigned char>, 3> channels;
    bool colour = false;
    int width = 0;
    int height = 0;
    for (bool last = status != SANE_STATUS_GOOD; !last;) {
        status = sane->Start(handle);
        SANE_Parameters p{};
        if (status == SANE_STATUS_GOOD) {
            status = sane->GetParameters(handle, &p);
        }
        if (status == SANE_STATUS_GOOD && (p.depth != 1 && p.depth != 8 && p.depth != 16)) {
            status = SANE_STATUS_UNSUPPORTED;
        }
        if (status != SANE_STATUS_GOOD || p.bytes_per_line <= 0 || p.pixels_per_line <= 0) {
            break;
        }
        std::string bytes;
        std::array<SANE_Byte, 32768> buffer{};
        SANE_Int length = 0;
        const std::uint64_t expected =
            p.lines > 0 ? std::uint64_t(p.bytes_per_line) * std::uint64_t(p.lines) : 0;
        while ((status = sane->Read(handle, buffer.data(), buffer.size(), &length)) ==
               SANE_STATUS_GOOD) {
            bytes.append(reinterpret_cast<const char*>(buffer.data()),
                         static_cast<std::size_t>(length));
            if (job != nullptr) {
                // A backend may go on reading after a cancel; the scan stops here anyway.
                if (job->Cancelled()) {
                    status = SANE_STATUS_CANCELLED;
                    break;
                }
                if (expected > 0) {
                    job->SetProgress(static_cast<int>(
                        std::min<std::uint64_t>(99, bytes.size() * 100 / expected)));
                }
            }
        }
        if (status != SANE_STATUS_EOF) {
            break;
        }
        status = SANE_STATUS_GOOD;
        // The line count may be unknown until the frame ends.
        const int lines =
            static_cast<int>(bytes.size() / static_cast<std::size_t>(p.bytes_per_line));
        if (p.lines > 0 && lines < p.lines) {
            status = SANE_STATUS_IO_ERROR;
            break;
        }
        width = p.pixels_per_line;
        height = p.lines > 0 ? p.lines : lines;
        switch (p.format) {
        case SANE_FRAME_GRAY:
            channels[0] = Samples(bytes, p, 1, height);
            break;
        case SANE_FRAME_RGB: {
            const std::vector<unsigned char> rgb = Samples(bytes, p, 3, height);
            for (std::size_t c = 0; c < 3; ++c) {
                channels[c].resize(rgb.size() / 3);
                for (std::size_t i = 0; i < channels[c].size(); ++i) {
                    channels[c][i] = rgb[3 * i + c];
                }
            }
            colour = true;
            break;
        }
        case SANE_FRAME_RED:
        case SANE_FRAME_GREEN:
        case SANE_FRAME_BLUE:
            channels[static_cast<std::size_t>(p.format - SANE_FRAME_RED)] =
                Samples(bytes, p, 1, height);
            colour = true;
            break;
        default:
            status = SANE_STATUS_UNSUPPORTED;
            break;
        }
        last = p.last_frame != SANE_FALSE || status != SANE_STATUS_GOOD;
    }
    if (job != nullptr) {
        job->Detach();
        // A backend may answer a cancel with an error of its own.
        if (job->Cancelled()) {
            status = SANE_STATUS_CANCELLED;
        }
    }
    sane->Cancel(handle);
    sane->Close(handle);
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t c = 0; c < (colour ? 3u : 1u); ++c) {
        if (channels[c].size() != pixels) {
            status = status == SANE_STATUS_GOOD ? SANE_STATUS_IO_ERROR : status;
        }
    }
    if (status != SANE_STATUS_GOOD || pixels == 0) {
        *error = QString::fromUtf8(
            sane->StatusText(status == SANE_STATUS_GOOD ? SANE_STATUS_IO_ERROR : status));
        return {};
    }
    image = QImage(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                  static_cast<std::size_t>(x);
            line[x] = colour ? qRgb(channels[0][i], channels[1][i], channels[2][i])
                             : qRgb(channels[0][i], channels[0][i], channels[0][i]);
        }
    }
    return image;
}

TScanJob::TScanJob(std::function<void()> finished)
    : thread_([this, finished = std::move(finished)] {
          image_ = TSaneScanner::Scan(&error_, this);
          finished();
      }) {}

TScanJob::~TScanJob() {
    Cancel();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TScanJob::Cancel() {
    const Sane* sane = Library();
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
    // The library allows a cancel from any thread while the device is open.
    if (handle_ != nullptr && sane != nullptr) {
        sane->Cancel(handle_);
    }
}

QImage TScanJob::Result(QString* error) {
    if (thread_.joinable()) {
        thread_.join();
    }
    *error = error_;
    return image_;
}

bool TScanJob::Attach(void* handle) {
    const std::lock_guard lock(mutex_);
    handle_ = cancelled_ ? nullptr : handle;
    return !cancelled_;
}

void TScanJob::Detach() {
    const std::lock_guard lock(mutex_);
    handle_ = nullptr;
}

bool TScanJob::Cancelled() const {
    const std::lock_guard lock(mutex_);
    return cancelled_;
}

} // namespace shelfwise::media
