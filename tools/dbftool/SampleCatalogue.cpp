#include "SampleCatalogue.h"

#include "TemplateTables.h"
#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/TableOperations.h"

#include <array>
#include <chrono>
#include <random>
#include <string_view>

namespace shelfwise::tools {
namespace {

template <std::size_t N>
std::string_view pick(std::mt19937& random, const std::array<std::string_view, N>& choices) {
    return choices[random() % N];
}

// Text in the tables' code page, Windows-1252: accented letters are written as their bytes.
constexpr std::array<std::string_view, 26> kBrands = {"Nimbus",
                                                      "Quill",
                                                      "Orbit",
                                                      "Cobalt",
                                                      "Maple",
                                                      "Vertex",
                                                      "Lumen",
                                                      "Harbor",
                                                      "Falcon",
                                                      "Juniper",
                                                      "Pixel",
                                                      "Ember",
                                                      "Atlas",
                                                      "Crescent",
                                                      "Summit",
                                                      "Willow",
                                                      "Zephyr",
                                                      "Kestrel",
                                                      "Tandem",
                                                      "Beacon",
                                                      "Ironwood",
                                                      "Saffron",
                                                      "Granite",
                                                      "Mosaic",
                                                      "Caf\xE9",
                                                      "\xDC"
                                                      "ber"};
constexpr std::array<std::string_view, 24> kProducts = {"Photo Studio",
                                                        "Writer",
                                                        "Tax Helper",
                                                        "Backup",
                                                        "Mail",
                                                        "Paint",
                                                        "Spreadsheet",
                                                        "Flight Simulator",
                                                        "Chess",
                                                        "World Atlas",
                                                        "Zip Archiver",
                                                        "Media Player",
                                                        "Antivirus",
                                                        "Accounting",
                                                        "Address Book",
                                                        "Diagram Designer",
                                                        "Font Manager",
                                                        "Music Composer",
                                                        "Se\xF1"
                                                        "or Spanish Tutor",
                                                        "Disk Doctor",
                                                        "Web Editor",
                                                        "Screen Saver Pack",
                                                        "Recipe Box",
                                                        "Family Tree"};
constexpr std::array<std::string_view, 8> kEditions = {
    "", "", " Pro", " Deluxe", " Home", " Lite", " Gold", " Studio Edition"};
constexpr std::array<std::string_view, 6> kCompanies = {" Software",
                                                        " Labs",
                                                        " Systems GmbH",
                                                        " Inc.",
                                                        " Ltd.",
                                                        " & S\xF6"
                                                        "hne"};
constexpr std::array<std::string_view, 10> kCategories = {
    "Graphics", "Office",     "Utilities", "Games",       "Education",
    "Internet", "Multimedia", "Finance",   "Development", "Security"};
constexpr std::array<std::string_view, 5> kMedia = {"CD-ROM", "DVD", "Floppy disks", "Download",
                                                    "USB stick"};
constexpr std::array<std::string_view, 7> kSystems = {
    "Windows 95", "Windows XP", "Windows 10", "Linux", "macOS", "MS-DOS", "Windows 11"};
constexpr std::array<std::string_view, 5> kStatus = {"Installed", "Not installed", "Ordered",
                                                     "Lent out", "Archived"};
constexpr std::array<std::string_view, 6> kNotes = {
    "Bought at the computer fair, boxed with a printed manual.",
    "Licence for two seats; the second one is on the laptop.",
    "Upgrade from the previous version, old serial number needed.",
    "Needs the CD in the drive to start.",
    "Registration card sent; \"lifetime\" updates promised.",
    "Runs slowly on the old machine, fine on the new one."};

std::string lower(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            out.push_back(static_cast<char>(c | 0x20));
        }
    }
    return out;
}

void putLE(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>(value >> (8 * i)));
    }
}

// An uncompressed 24-bit BMP of a diagonal gradient in the given colour.
std::string picture(int width, int height, std::uint32_t rgb) {
    const int rowSize = (width * 3 + 3) / 4 * 4;
    const auto pixelBytes = static_cast<std::uint32_t>(rowSize * height);
    std::string bmp = "BM";
    putLE(bmp, 54 + pixelBytes, 4);
    putLE(bmp, 0, 4);
    putLE(bmp, 54, 4);
    putLE(bmp, 40, 4);
    putLE(bmp, static_cast<std::uint32_t>(width), 4);
    putLE(bmp, static_cast<std::uint32_t>(height), 4);
    putLE(bmp, 1, 2);
    putLE(bmp, 24, 2);
    putLE(bmp, 0, 4);
    putLE(bmp, pixelBytes, 4);
    putLE(bmp, 2835, 4);
    putLE(bmp, 2835, 4);
    putLE(bmp, 0, 4);
    putLE(bmp, 0, 4);
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const unsigned shade = 128 + 127 * static_cast<unsigned>(x + y) / (width + height);
            for (const int shift : {0, 8, 16}) { // blue, green, red
                row.push_back(static_cast<char>(((rgb >> shift) & 0xFF) * shade / 255));
            }
        }
        row.resize(static_cast<std::size_t>(rowSize), '\0');
        bmp += row;
    }
    return bmp;
}

std::chrono::year_month_day dayAfter(std::chrono::sys_days start, int days) {
    return std::chrono::year_month_day(start + std::chrono::days(days));
}

} // namespace

void GenerateCatalogue(const std::filesystem::path& directory, const std::string& fileName,
                       std::uint32_t records) {
    if (engine::tableExists(directory, fileName)) {
        throw engine::EngineError(fileName + ": the table exists already");
    }
    std::string baseName = std::filesystem::path(fileName).stem().string();
    WriteTemplate(directory, baseName, DataTemplate());

    engine::Table table;
    table.setDirectory(directory);
    table.setFileName(baseName + ".dbf");
    table.setExclusive(true);
    table.open();
    const auto at = [&table](std::string_view name) { return table.fieldPosition(name); };
    const int recordNo = at("RECORDNO"), appName = at("APPNAME"), producer = at("PRODUCER"),
              category = at("CATEGORY"), version = at("VERSION"), serial = at("SERIAL"),
              price = at("PRICE"), verDate = at("VERDATE"), instDate = at("INSTDATE"),
              media = at("MEDIA"), opSystem = at("OPSYSTEM"), logo = at("LOGO"),
              phone = at("PHONE"), email = at("EMAIL"), internet = at("INTERNET"),
              status = at("STATUS"), notes = at("NOTES"), pictureField = at("PICTURE");

    std::mt19937 random(1993);
    const auto firstDay = std::chrono::sys_days(std::chrono::year(1990) / 1 / 1);
    table.beginBulkLoad();
    for (std::uint32_t i = 1; i <= records; ++i) {
        const std::string brand(pick(random, kBrands));
        const std::string product(pick(random, kProducts));
        table.append();
        table.setNumber(recordNo, i);
        table.setText(appName, brand + " " + product + std::string(pick(random, kEditions)));
        table.setText(producer, brand + std::string(pick(random, kCompanies)));
        table.setText(category, pick(random, kCategories));
        table.setText(version, std::to_string(1 + random() % 12) + "." +
                                   std::to_string(random() % 10) +
                                   (random() % 3 ? "" : "." + std::to_string(random() % 500)));
        std::string key;
        for (int group = 0; group < 4; ++group) {
            for (int c = 0; c < 5; ++c) {
                key.push_back("ABCDEFGHJKLMNPQRSTUVWXYZ23456789"[random() % 32]);
            }
            key += group < 3 ? "-" : "";
        }
        table.setText(serial, key);
        table.setNumber(price, static_cast<double>(999 + random() % 49000) / 100.0);
        const int released = static_cast<int>(random() % 13000);
        table.setDate(verDate, dayAfter(firstDay, released));
        table.setDate(instDate, dayAfter(firstDay, released + static_cast<int>(random() % 400)));
        table.setText(media, pick(random, kMedia));
        table.setText(opSystem, pick(random, kSystems));
        table.setText(phone, "+1 555 01" + std::to_string(10 + random() % 90) + " " +
                                 std::to_string(100 + random() % 900));
        table.setText(email, "support@" + lower(brand) + ".example");
        table.setText(internet, "https://www." + lower(brand) + ".example/" + lower(product));
        table.setText(status, pick(random, kStatus));
        table.setText(notes,
                      std::string(pick(random, kNotes)) + "\r\nSerial number kept in the box.");
        const auto colour = static_cast<std::uint32_t>(random() & 0xFFFFFF);
        if (i % 4 == 1) {
            table.setBytes(logo, picture(16, 16, colour));
        }
        if (i % 10 == 1) {
            table.setBytes(pictureField, picture(40, 30, colour));
        }
        table.post();
    }
    table.endBulkLoad();
    table.close();
}

} // namespace shelfwise::tools
