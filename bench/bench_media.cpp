// Showing a record's picture: a 4000 x 3000 photograph held in the record's binary field,
// read into the picture control and drawn at the record page's picture size, the first time
// (nothing decoded yet) and again (the value and its decoded picture kept). SQLite reading the same
// bytes from a blob in the same run gives the storage side for comparison.
#include "RunBenchmarks.h"
#include "WaitCounters.h"
#include "engine/Table.h"
#include "engine/TableOperations.h"
#include "media/MultiImgControl.h"
#include "media/PictureIo.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <sqlite3.h>

using namespace shelfwise;

namespace {

constexpr int Width = 4000;
constexpr int Height = 3000;

// A photograph-like picture: smooth shading with fine detail, so JPEG cannot shrink it to
// nothing.
QImage Photograph() {
    QImage image(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            line[x] = qRgb((x / 16) % 256, (y / 12) % 256, (x * y / 97 + x % 7 * 9) % 256);
        }
    }
    return image;
}

struct Record {
    std::filesystem::path dir;
    engine::Table table;
    std::string bytes;

    explicit Record(media::PictureFormat format) {
        dir = std::filesystem::temp_directory_path() /
              ("bench_media_" + std::to_string(static_cast<int>(format)));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        engine::createTable(dir, "data.dbf", {{"PICTURE", 'B', 10, 0}});
        table.setDirectory(dir);
        table.setFileName("data.dbf");
        table.open();
        bytes = media::EncodePicture(Photograph(), format);
        table.append();
        table.setBytes(0, bytes);
        table.post();
    }
    ~Record() {
        table.close();
        std::filesystem::remove_all(dir);
    }
};

Record& Jpeg() {
    static Record record(media::PictureFormat::Jpeg);
    return record;
}

Record& Bitmap() {
    static Record record(media::PictureFormat::Bmp);
    return record;
}

// The record page's picture field.
std::unique_ptr<media::TDbMultiImgControl> Control(bool stretched) {
    auto control = std::make_unique<media::TDbMultiImgControl>(QString(), nullptr);
    control->resize(260, 305);
    control->SetAutoStretch(stretched);
    control->show();
    return control;
}

void Show(media::TDbMultiImgControl& control, engine::Table& table) {
    table.first();
    control.Read(table, 0);
    benchmark::DoNotOptimize(control.grab());
}

// Argument 0: the picture at its own size (the part in sight); 1: stretched to the view.
void ShowFirstTime(benchmark::State& state, Record& record) {
    // The waits include those of making each control, outside the timed part.
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto control = Control(state.range(0) != 0);
        state.ResumeTiming();
        Show(*control, record.table);
    }
}

void ShowAgain(benchmark::State& state, Record& record) {
    auto control = Control(state.range(0) != 0);
    Show(*control, record.table);
    bench_waits::Counters waits(state);
    for (auto _ : state) {
        Show(*control, record.table);
    }
}

void BM_ShowJpegFirstTime(benchmark::State& state) {
    ShowFirstTime(state, Jpeg());
}
void BM_ShowJpegAgain(benchmark::State& state) {
    ShowAgain(state, Jpeg());
}
void BM_ShowBitmapFirstTime(benchmark::State& state) {
    ShowFirstTime(state, Bitmap());
}
void BM_ShowBitmapAgain(benchmark::State& state) {
    ShowAgain(state, Bitmap());
}

// The same JPEG bytes read from an SQLite blob.
void BM_SqliteReadJpegBlob(benchmark::State& state) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "bench_media.db";
    std::filesystem::remove(file);
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(picture BLOB)", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?)", -1, &insert, nullptr);
    const std::string& bytes = Jpeg().bytes;
    sqlite3_bind_blob(insert, 1, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_finalize(insert);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT picture FROM t WHERE rowid = 1", -1, &select, nullptr);
    for (auto _ : state) {
        sqlite3_reset(select);
        sqlite3_step(select);
        std::string read(static_cast<const char*>(sqlite3_column_blob(select, 0)),
                         static_cast<std::size_t>(sqlite3_column_bytes(select, 0)));
        benchmark::DoNotOptimize(read);
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    std::filesystem::remove(file);
}

BENCHMARK(BM_ShowJpegFirstTime)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowJpegAgain)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowBitmapFirstTime)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowBitmapAgain)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteReadJpegBlob)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return shelfwise::bench::RunBenchmarks(argc, argv);
}
