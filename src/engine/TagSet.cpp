#include "engine/TagSet.h"

#include "engine/DbfFile.h"
#include "engine/EngineError.h"
#include "engine/MemoFile.h"
#include "engine/RecordKeySource.h"
#include "engine/RecordScan.h"

#include <algorithm>
#include <cctype>

namespace shelfwise::engine {

namespace {

std::string upper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

bool validTagName(std::string_view name) {
    return !name.empty() && name.size() <= 10 &&
           std::isalpha(static_cast<unsigned char>(name[0])) &&
           std::all_of(name.begin(), name.end(),
                       [](unsigned char c) { return std::isalnum(c) || c == '_'; });
}

// The keys of every live record of the table, for a bulk build.
IndexEntrySource liveEntries(const KeyExpression& expression, const FieldList& fields,
                             const DbfFile& dbf, const MemoFile& memo) {
    auto scan = std::make_shared<RecordScan>(dbf);
    return [=, &fields, &memo, &dbf](IndexEntry& entry) {
        while (const char* record = scan->next()) {
            if (record[0] == '*') {
                continue;
            }
            entry.key =
                expression.evaluate(RecordKeySource(fields, record, memo, dbf.file().path()));
            entry.record = scan->number();
            return true;
        }
        return false;
    };
}

} // namespace

void TagSet::open(const std::filesystem::path& path, bool readOnly, const FieldList& fields) {
    path_ = path;
    readOnly_ = readOnly;
    file_ = std::make_unique<MdxFile>(path, readOnly ? MdxFile::Mode::ReadOnly
                                                     : MdxFile::Mode::ReadWrite);
    compile(fields);
}

void TagSet::close() {
    tags_.clear();
    file_.reset();
}

void TagSet::compile(const FieldList& fields) {
    tags_.clear();
    for (MdxTagInfo& info : file_->tags()) {
        try {
            KeyExpression expression(info.expression, fields);
            tags_.push_back({std::move(info), std::move(expression)});
        } catch (const EngineError& e) {
            throw EngineError(path_.string() + ": tag " + info.name + ": " + e.what(), e.reason());
        }
    }
}

const TagSet::Tag* TagSet::find(std::string_view name) const {
    const std::string wanted = upper(name);
    for (const Tag& tag : tags_) {
        if (upper(tag.info.name) == wanted) {
            return &tag;
        }
    }
    return nullptr;
}

std::vector<std::string> TagSet::keysOf(const RecordSource& record) const {
    std::vector<std::string> keys;
    keys.reserve(tags_.size());
    for (const Tag& tag : tags_) {
        keys.push_back(tag.expression.evaluate(record));
    }
    return keys;
}

void TagSet::replaceKeys(const std::vector<std::string>* before,
                         const std::vector<std::string>* after, std::uint32_t n) {
    for (std::size_t i = 0; i < tags_.size(); ++i) {
        const std::string& name = tags_[i].info.name;
        if (before && after && (*before)[i] == (*after)[i]) {
            continue;
        }
        if (before) {
            file_->remove(name, (*before)[i], n);
        }
        if (after) {
            file_->insert(name, (*after)[i], n);
        }
    }
}

void TagSet::addTag(const std::string& name, const std::string& expression, bool descending,
                    const FieldList& fields, const DbfFile& dbf, const MemoFile& memo) {
    if (!validTagName(name)) {
        throw EngineError(path_.string() + ": \"" + name + "\" is not a valid tag name");
    }
    if (find(name) != nullptr) {
        throw EngineError(path_.string() + ": tag " + upper(name) + " already exists");
    }
    KeyExpression compiled(expression, fields);
    MdxTagInfo info;
    info.name = upper(name);
    info.expression = expression;
    info.descending = descending;
    info.keyType = compiled.type();
    info.keyLength = compiled.keyLength();
    file_->addTag(info, liveEntries(compiled, fields, dbf, memo));
    tags_.push_back({std::move(info), std::move(compiled)});
}

void TagSet::deleteTag(std::string_view name) {
    const Tag* tag = find(name);
    if (tag == nullptr) {
        throw EngineError(path_.string() + ": there is no tag " + std::string(name),
                          EngineError::Reason::NotFound);
    }
    file_->deleteTag(tag->info.name);
    tags_.erase(tags_.begin() + (tag - tags_.data()));
}

void TagSet::writeRebuilt(const std::filesystem::path& path, const std::string& tableBaseName,
                          const DbfFile& dbf, const MemoFile& memo) const {
    MdxFile::create(path, tableBaseName);
    MdxFile index(path, MdxFile::Mode::ReadWrite);
    for (const Tag& tag : tags_) {
        index.addTag(tag.info, liveEntries(tag.expression, dbf.header().fields(), dbf, memo));
    }
    index.flush();
}

std::vector<std::string> TagSet::check(const FieldList& fields, const DbfFile& dbf,
                                       const MemoFile& memo) {
    constexpr std::size_t kReportedPerTag = 10;
    const std::uint32_t recordCount = dbf.header().recordCount();
    std::vector<std::string> problems;
    std::string record(dbf.header().recordLength(), '\0');
    for (const Tag& tag : tags_) {
        const std::string& name = tag.info.name;
        std::size_t found = 0;
        auto report = [&](const std::string& problem) {
            if (found++ < kReportedPerTag) {
                problems.push_back("tag " + name + ": " + problem);
            }
        };
        try {
            file_->check(name);
            std::vector<bool> seen(std::size_t(recordCount) + 1, false);
            MdxCursor cursor = file_->cursor(name);
            for (bool on = cursor.first(); on; on = cursor.next()) {
                const std::uint32_t n = cursor.record();
                if (n == 0 || n > recordCount) {
                    report("entry for record " + std::to_string(n) + ", which does not exist");
                    continue;
                }
                dbf.file().readAt(record.data(), record.size(), dbf.header().recordOffset(n),
                                  "a record");
                if (record[0] == '*') {
                    continue; // other programs keep the keys of deleted records
                }
                if (seen[n]) {
                    report("record " + std::to_string(n) + " has more than one entry");
                }
                seen[n] = true;
                const std::string key = tag.expression.evaluate(
                    RecordKeySource(fields, record.data(), memo, dbf.file().path(), nullptr,
                                    RecordKeySource::UnreadableMemo::Throw));
                if (key != cursor.key()) {
                    report("record " + std::to_string(n) + " is filed under a wrong key");
                }
            }
            RecordScan scan(dbf);
            while (const char* bytes = scan.next()) {
                if (bytes[0] != '*' && !seen[scan.number()]) {
                    report("record " + std::to_string(scan.number()) + " has no entry");
                }
            }
        } catch (const EngineError& e) {
            report(e.what());
        }
        if (found > kReportedPerTag) {
            problems.push_back("tag " + name + ": " + std::to_string(found - kReportedPerTag) +
                               " more problems");
        }
    }
    return problems;
}

} // namespace shelfwise::engine
