#include "TableFixture.h"
#include "engine/TableOperations.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace shelfwise::engine::testing {
namespace {

// A writer doing appends, key-changing edits and deletions with memos, and a pack now and
// then, killed at random moments: after each kill the next open shows every post that
// returned, the one under way done wholly or not at all, and tags that agree with the
// records. SHELFWISE_KILL_ROUNDS sets the number of kills (a few by default, 1000 for a
// long run).
class KillStressTest : public TableFixture {
protected:
    // What the writer tells the test: an operation it starts, then the same once returned.
    struct Message {
        char kind = 0; // 'a'ppend, 'e'dit, 'd'elete, 'p'ack; upper case when returned
        std::uint32_t id = 0;
        std::uint32_t version = 0;
    };
    using Model = std::map<std::uint32_t, std::uint32_t>; // live record id -> version

    // Changes with every edit, and so moves the record in the name tag.
    static std::string nameOf(std::uint32_t id, std::uint32_t version) {
        return std::to_string(version) + "." + std::to_string(id);
    }
    static std::string memoOf(std::uint32_t id, std::uint32_t version) {
        return std::string(1 + (id * 37u + version * 101u) % 2500u,
                           static_cast<char>('a' + (id + version) % 26));
    }

    void openData(Table& t, bool exclusive = false) const { openOn(t, "data.dbf", exclusive); }

    static void apply(Model& model, const Message& m) {
        switch (m.kind) {
        case 'a':
        case 'e':
            model[m.id] = m.version;
            break;
        case 'd':
            model.erase(m.id);
            break;
        default:
            break;
        }
    }

    [[noreturn]] void writeUntilKilled(int out, unsigned seed) {
        std::mt19937 random(seed);
        auto tell = [&](Message m) { (void)!::write(out, &m, sizeof m); };
        Model model = contents(nullptr);
        auto t = std::make_unique<Table>();
        openData(*t);
        t->setTag("BYID");
        std::uint32_t nextId = model.empty() ? 1 : model.rbegin()->first + 1;
        for (;;) {
            const unsigned dice = random() % 100;
            Message m;
            if (dice < 2) {
                m = {'p', 0, 0};
                tell(m);
                t = std::make_unique<Table>();
                openData(*t, true);
                t->pack();
                t = std::make_unique<Table>();
                openData(*t);
                t->setTag("BYID");
            } else if (dice < 55 || model.size() < 5) {
                m = {'a', nextId++, static_cast<std::uint32_t>(random() % 1000)};
                tell(m);
                t->append();
                t->setNumber(0, m.id);
                t->setText(1, nameOf(m.id, m.version));
                t->setText(2, memoOf(m.id, m.version));
                t->post();
            } else {
                auto it = model.begin();
                std::advance(it, random() % model.size());
                const bool edit = dice < 85;
                m = {edit ? 'e' : 'd', it->first, edit ? it->second + 1 : 0};
                tell(m);
                if (!t->findKey({{0, std::to_string(m.id)}})) {
                    ::_exit(4); // a record that returned is missing
                }
                if (edit) {
                    t->edit();
                    t->setText(1, nameOf(m.id, m.version));
                    t->setText(2, memoOf(m.id, m.version));
                    t->post();
                } else {
                    t->deleteRecord();
                }
            }
            apply(model, m);
            m.kind = static_cast<char>(std::toupper(m.kind));
            tell(m);
        }
    }

    // The live records by id; with `problems`, also what the tag check and a comparison of
    // each record with its own id's name and memo find.
    Model contents(std::vector<std::string>* problems) const {
        Table t;
        openData(t);
        Model model;
        for (t.first(); !t.atEnd(); t.next()) {
            const auto id = static_cast<std::uint32_t>(t.number(0));
            const std::string name = t.text(1);
            const std::uint32_t version = static_cast<std::uint32_t>(std::atol(name.c_str()));
            if (problems && (name != nameOf(id, version) || t.text(2) != memoOf(id, version))) {
                problems->push_back("record " + std::to_string(id) + " is torn");
            }
            model[id] = version;
        }
        if (problems) {
            for (const std::string& p : t.checkIndexes()) {
                problems->push_back(p);
            }
        }
        return model;
    }
};

TEST_F(KillStressTest, NoReturnedPostIsLostAndNoTagDisagrees) {
    const char* roundsSetting = std::getenv("SHELFWISE_KILL_ROUNDS");
    const int rounds = roundsSetting ? std::atoi(roundsSetting) : 12;
    createTable(dir, "data.dbf", {{"ID", 'N', 8, 0}, {"NAME", 'C', 20, 0}, {"NOTES", 'M', 10, 0}});
    {
        Table t;
        openData(t, true);
        t.addTag("BYID", "ID", false);
        t.addTag("BYNAME", "UPPER(NAME)", false);
    }
    std::mt19937 random(20261210);
    Model model;
    int kills = 0;
    int midOperation = 0; // kills that met an operation under way
    std::uint64_t returned = 0;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int channel[2];
        ASSERT_EQ(::pipe(channel), 0);
        const unsigned seed = random();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(channel[0]);
            try {
                writeUntilKilled(channel[1], seed);
            } catch (...) {
                ::_exit(3);
            }
        }
        ::close(channel[1]);
        std::optional<Message> pending;
        auto take = [&](const Message& m) {
            if (std::islower(static_cast<unsigned char>(m.kind))) {
                pending = m;
            } else {
                Message done = m;
                done.kind = static_cast<char>(std::tolower(m.kind));
                apply(model, done);
                pending.reset();
                ++returned;
            }
        };
        Message m;
        for (unsigned messages = 1 + random() % 16; messages > 0; --messages) {
            ASSERT_EQ(::read(channel[0], &m, sizeof m), static_cast<ssize_t>(sizeof m))
                << "the writer died";
            take(m);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 8000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << WEXITSTATUS(status);
        ++kills;
        while (::read(channel[0], &m, sizeof m) == static_cast<ssize_t>(sizeof m)) {
            take(m);
        }
        ::close(channel[0]);

        midOperation += pending.has_value();
        std::vector<std::string> problems;
        const Model found = contents(&problems);
        ASSERT_TRUE(problems.empty()) << problems.front();
        Model withPending = model;
        if (pending) {
            apply(withPending, *pending);
        }
        ASSERT_TRUE(found == model || found == withPending)
            << "records: " << found.size() << ", returned posts leave " << model.size();
        model = found;
    }
    EXPECT_EQ(kills, rounds);
    EXPECT_GT(returned, static_cast<std::uint64_t>(rounds));
    RecordProperty("kills", kills);
    RecordProperty("returned_operations", static_cast<int>(returned));
    RecordProperty("kills_during_an_operation", midOperation);
}

} // namespace
} // namespace shelfwise::engine::testing
