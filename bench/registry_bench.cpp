// Each store operation beside the same work done with prepared SQLite statements on a database of
// identical schema, pragmas and content, measured in one run, so that the ratios show what the
// registry layer itself costs.

#include "RatioReporter.h"
#include "RawDb.h"
#include "TwinStores.h"
#include "registry/RegValues.h"
#include "registry/Registry.h"
#include "registry/Transaction.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

using namespace reg;

using bench::RawDb;
using bench::Require;

const QString kQuickLink = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\QuickLink");
const QString kHideGroup = QStringLiteral("HideGroup");
const QString kEnumKey = QStringLiteral("Software\\Orvane\\TALVEN\\Bench\\Enumerate");
const QString kSetKey = QStringLiteral("Software\\Orvane\\TALVEN\\Bench\\Set");
const QString kDeleteKey = QStringLiteral("Software\\Orvane\\TALVEN\\Bench\\Delete");
const QString kCounter = QStringLiteral("Counter");

constexpr DWORD kHideGroupValue = 1;
constexpr int kSiblings = 20;
constexpr int kEnumCount = 200;
constexpr int kBatch = 1000;
// The quick-link list deletes every id it could ever have written ("0000".."9999" and "C0000".."C9999");
// only a few of them exist.
constexpr int kDeleteIds = 10000;
constexpr int kLiveValues = 50;

// The store may cost at most half again as much as doing the same with SQLite by hand.
constexpr double kGoal = 1.5;

QString Numbered(const char* prefix, int n, int width)
{
    return QString::fromLatin1(prefix) + QStringLiteral("%1").arg(n, width, 10, QChar(u'0'));
}

QString ColumnName(sqlite3_stmt* s, int column)
{
    return QString(static_cast<const QChar*>(sqlite3_column_blob(s, column)), sqlite3_column_bytes(s, column) / 2);
}

Key CreateKey(const QString& path)
{
    Key key;
    Require(RegCreateKeyEx(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS, "create a key");
    return key;
}

Key OpenKey(const QString& path)
{
    Key key;
    Require(RegOpenKeyEx(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS, "open a key");
    return key;
}

// Writes the same keys and values into whichever file HKCU points at.
void Populate()
{
    Transaction txn(Root::CurrentUser);
    Require(txn.status() == ERROR_SUCCESS, "begin populating");
    // Siblings along the looked-up path, so that each lookup finds its key among others.
    for (int i = 0; i < kSiblings; ++i) {
        CreateKey(Numbered("Software\\Vendor", i, 2));
        CreateKey(Numbered("Software\\Orvane\\TALVEN\\Data\\List", i, 2));
    }
    const Key quickLink = CreateKey(kQuickLink);
    for (int i = 0; i < kSiblings; ++i)
        Require(SetDword(quickLink, Numbered("Option", i, 2), DWORD(i)) == ERROR_SUCCESS, "set an option");
    Require(SetDword(quickLink, kHideGroup, kHideGroupValue) == ERROR_SUCCESS, "set HideGroup");
    const Key enumerated = CreateKey(kEnumKey);
    for (int i = 0; i < kEnumCount; ++i) {
        CreateKey(kEnumKey + Numbered("\\Entry", i, 3));
        Require(SetDword(enumerated, Numbered("Value", i, 3), DWORD(i)) == ERROR_SUCCESS, "set a listed value");
    }
    CreateKey(kSetKey);
    CreateKey(kDeleteKey);
    Require(txn.commit() == ERROR_SUCCESS, "commit populating");
}

// Both sides' databases and the handles and ids the benchmarks work on.
struct Fixture {
    Fixture()
    {
        enumKey = OpenKey(kEnumKey);
        setKey = OpenKey(kSetKey);
        deleteKey = OpenKey(kDeleteKey);
        rawEnumKey = raw.resolve(kEnumKey);
        rawSetKey = raw.resolve(kSetKey);
        rawDeleteKey = raw.resolve(kDeleteKey);
        Require(rawEnumKey > 0 && rawSetKey > 0 && rawDeleteKey > 0, "find the raw keys");

        for (int i = 0; i < kBatch; ++i)
            batchNames.append(Numbered("Item", i, 4));
        for (const char* prefix : {"", "C"}) {
            for (int i = 0; i < kDeleteIds; ++i)
                deleteNames.append(Numbered(prefix, i, 4));
        }
        for (int i = 0; i < kLiveValues; ++i)
            liveNames.append(deleteNames.at(i * (deleteNames.size() / kLiveValues)));
    }

    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    bench::TwinStores stores{QStringLiteral("registry_bench"), Populate};
    RawDb& raw = stores.raw();
    // Handles close before the stores they belong to.
    Key enumKey;
    Key setKey;
    Key deleteKey;
    long long rawEnumKey = -1;
    long long rawSetKey = -1;
    long long rawDeleteKey = -1;
    QStringList batchNames;
    QStringList deleteNames;
    QStringList liveNames;
};

void OpenQueryStore(benchmark::State& state, Fixture&)
{
    for (auto _ : state) {
        Key key;
        DWORD value = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, kQuickLink, KEY_READ, key.put()) != ERROR_SUCCESS ||
            QueryDword(key, kHideGroup, &value) != ERROR_SUCCESS || value != kHideGroupValue) {
            state.SkipWithError("HideGroup not read");
            break;
        }
    }
}

void OpenQueryRaw(benchmark::State& state, Fixture& f)
{
    for (auto _ : state) {
        DWORD value = 0;
        const long long key = f.raw.resolve(kQuickLink);
        if (key < 0 || !f.raw.queryDword(key, kHideGroup, &value) || value != kHideGroupValue) {
            state.SkipWithError("HideGroup not read");
            break;
        }
    }
}

void SetStore(benchmark::State& state, Fixture& f)
{
    DWORD n = 0;
    for (auto _ : state) {
        ++n;
        if (RegSetValueEx(f.setKey, kCounter, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n) != ERROR_SUCCESS) {
            state.SkipWithError("set failed");
            break;
        }
    }
}

void SetRaw(benchmark::State& state, Fixture& f)
{
    DWORD n = 0;
    for (auto _ : state) {
        if (!f.raw.setDword(f.rawSetKey, kCounter, ++n)) {
            state.SkipWithError("set failed");
            break;
        }
    }
}

void SetBatchStore(benchmark::State& state, Fixture& f)
{
    DWORD n = 0;
    for (auto _ : state) {
        ++n;
        Transaction txn(Root::CurrentUser);
        bool ok = txn.status() == ERROR_SUCCESS;
        for (const QString& name : f.batchNames)
            ok = ok && RegSetValueEx(f.setKey, name, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n) == ERROR_SUCCESS;
        if (!ok || txn.commit() != ERROR_SUCCESS) {
            state.SkipWithError("transaction failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void SetBatchRaw(benchmark::State& state, Fixture& f)
{
    DWORD n = 0;
    for (auto _ : state) {
        ++n;
        bool ok = f.raw.exec("BEGIN IMMEDIATE");
        for (const QString& name : f.batchNames)
            ok = ok && f.raw.setDword(f.rawSetKey, name, n);
        if (!ok || !f.raw.exec("COMMIT")) {
            f.raw.exec("ROLLBACK");
            state.SkipWithError("transaction failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void EnumKeysStore(benchmark::State& state, Fixture& f)
{
    for (auto _ : state) {
        QString name;
        DWORD index = 0;
        LSTATUS status;
        while ((status = RegEnumKeyEx(f.enumKey, index, &name)) == ERROR_SUCCESS) {
            benchmark::DoNotOptimize(name);
            ++index;
        }
        if (status != ERROR_NO_MORE_ITEMS || index != kEnumCount) {
            state.SkipWithError("subkeys not listed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kEnumCount);
}

void EnumKeysRaw(benchmark::State& state, Fixture& f)
{
    sqlite3_stmt* s = f.raw.enumKeys;
    for (auto _ : state) {
        int count = 0;
        sqlite3_bind_int64(s, 1, f.rawEnumKey);
        while (sqlite3_step(s) == SQLITE_ROW) {
            QString name = ColumnName(s, 0);
            benchmark::DoNotOptimize(name);
            ++count;
        }
        sqlite3_reset(s);
        if (count != kEnumCount) {
            state.SkipWithError("subkeys not listed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kEnumCount);
}

void EnumValuesStore(benchmark::State& state, Fixture& f)
{
    for (auto _ : state) {
        QString name;
        DWORD type = 0;
        QByteArray data;
        DWORD index = 0;
        LSTATUS status;
        while ((status = RegEnumValue(f.enumKey, index, &name, &type, &data)) == ERROR_SUCCESS) {
            benchmark::DoNotOptimize(name);
            benchmark::DoNotOptimize(data);
            ++index;
        }
        if (status != ERROR_NO_MORE_ITEMS || index != kEnumCount) {
            state.SkipWithError("values not listed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kEnumCount);
}

void EnumValuesRaw(benchmark::State& state, Fixture& f)
{
    sqlite3_stmt* s = f.raw.enumValues;
    for (auto _ : state) {
        int count = 0;
        sqlite3_bind_int64(s, 1, f.rawEnumKey);
        while (sqlite3_step(s) == SQLITE_ROW) {
            QString name = ColumnName(s, 0);
            DWORD type = DWORD(sqlite3_column_int64(s, 1));
            QByteArray data(static_cast<const char*>(sqlite3_column_blob(s, 2)), sqlite3_column_bytes(s, 2));
            benchmark::DoNotOptimize(name);
            benchmark::DoNotOptimize(type);
            benchmark::DoNotOptimize(data);
            ++count;
        }
        sqlite3_reset(s);
        if (count != kEnumCount) {
            state.SkipWithError("values not listed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kEnumCount);
}

// Untimed: checks that the last deletion left nothing, then writes the few values that exist.
bool RestoreLiveValuesStore(Fixture& f)
{
    DWORD values = 1;
    if (RegQueryInfoKey(f.deleteKey, nullptr, &values) != ERROR_SUCCESS || values != 0)
        return false;
    Transaction txn(Root::CurrentUser);
    bool ok = txn.status() == ERROR_SUCCESS;
    for (const QString& name : f.liveNames)
        ok = ok && SetDword(f.deleteKey, name, 1) == ERROR_SUCCESS;
    return ok && txn.commit() == ERROR_SUCCESS;
}

bool RestoreLiveValuesRaw(Fixture& f)
{
    if (f.raw.valueCount(f.rawDeleteKey) != 0 || !f.raw.exec("BEGIN IMMEDIATE"))
        return false;
    bool ok = true;
    for (const QString& name : f.liveNames)
        ok = ok && f.raw.setDword(f.rawDeleteKey, name, 1);
    if (ok && f.raw.exec("COMMIT"))
        return true;
    f.raw.exec("ROLLBACK");
    return false;
}

void DeleteStore(benchmark::State& state, Fixture& f)
{
    for (auto _ : state) {
        state.PauseTiming();
        const bool restored = RestoreLiveValuesStore(f);
        state.ResumeTiming();
        if (!restored || RegDeleteValues(f.deleteKey, f.deleteNames) != ERROR_SUCCESS) {
            state.SkipWithError("deletion failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * f.deleteNames.size());
}

void DeleteRaw(benchmark::State& state, Fixture& f)
{
    for (auto _ : state) {
        state.PauseTiming();
        const bool restored = RestoreLiveValuesRaw(f);
        state.ResumeTiming();
        int deleted = 0;
        bool ok = restored && f.raw.exec("BEGIN IMMEDIATE");
        for (const QString& name : f.deleteNames) {
            const int n = ok ? f.raw.deleteNamed(f.rawDeleteKey, name) : -1;
            ok = n >= 0;
            deleted += n;
        }
        if (!ok || !f.raw.exec("COMMIT") || deleted != kLiveValues) {
            f.raw.exec("ROLLBACK");
            state.SkipWithError("deletion failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * f.deleteNames.size());
}

using Body = void (*)(benchmark::State&, Fixture&);

struct Pair {
    const char* name;      // benchmarks "<name>/store" and "<name>/raw"
    const char* operation; // as the ratio line shows it
    benchmark::TimeUnit unit;
    double minTime;
    Body store;
    Body raw;
};

const Pair kPairs[] = {
    {"open_query", "open+query", benchmark::kMicrosecond, 0.3, OpenQueryStore, OpenQueryRaw},
    {"set_durable", "set (autocommit)", benchmark::kMicrosecond, 0.5, SetStore, SetRaw},
    {"set_batch", "set (1000 per transaction)", benchmark::kMillisecond, 0.5, SetBatchStore, SetBatchRaw},
    {"enum_keys", "enumerate 200 subkeys", benchmark::kMicrosecond, 0.3, EnumKeysStore, EnumKeysRaw},
    {"enum_values", "enumerate 200 values", benchmark::kMicrosecond, 0.3, EnumValuesStore, EnumValuesRaw},
    {"delete_values", "delete 20,000 values", benchmark::kMillisecond, 0.5, DeleteStore, DeleteRaw},
};


} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    std::unique_ptr<Fixture> fixture;
    try {
        fixture = std::make_unique<Fixture>();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "registry_bench: cannot prepare the stores: %s\n", e.what());
        return 1;
    }

    for (const Pair& pair : kPairs) {
        for (const auto& [side, body] : {std::pair{"/store", pair.store}, std::pair{"/raw", pair.raw}}) {
            benchmark::RegisterBenchmark((std::string(pair.name) + side).c_str(),
                                         [body, f = fixture.get()](benchmark::State& state) { body(state, *f); })
                ->Unit(pair.unit)
                ->MinTime(pair.minTime)
                // Durable writes wait on the disk, not the processor: iterate by wall time.
                ->UseRealTime();
        }
    }

    RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::cout << '\n';
    for (const Pair& pair : kPairs) {
        const double store = reporter.seconds(std::string(pair.name) + "/store");
        const double raw = reporter.seconds(std::string(pair.name) + "/raw");
        if (store < 0 || raw < 0)
            continue;
        char line[160];
        if (std::isnan(store) || std::isnan(raw))
            std::snprintf(line, sizeof line, "ratio %s: store/raw = failed (goal <= %.1fx)", pair.operation, kGoal);
        else
            std::snprintf(line, sizeof line, "ratio %s: store/raw = %.2fx (goal <= %.1fx)", pair.operation,
                          store / raw, kGoal);
        std::cout << line << '\n';
    }
    return 0;
}
