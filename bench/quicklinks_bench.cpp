// The Quick Links page's OK on a list of 50 entries, 10 of them the user's own, beside writing the
// same number of values in one transaction with prepared SQLite statements on a database of the
// store's schema, in one run: the ratio shows what the page, the store and the save's own work
// (clearing the old list and user items) cost on top of the bare writes.

#include "RatioReporter.h"
#include "RawDb.h"
#include "TwinStores.h"
#include "platform/UserRights.h"
#include "quicklinks/QuickLinksPage.h"
#include "registry/RegValues.h"
#include "registry/Registry.h"
#include "registry/Transaction.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using namespace reg;
using bench::RawDb;
using bench::Require;

const QString kClient = QStringLiteral("Software\\Orvane\\TALVEN\\Client");
const QString kData = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\QuickLink");
const QString kOrder = kData + QStringLiteral("\\Order");
const QString kUserDefined = kClient + QStringLiteral("\\UserDefined");

constexpr int kEntries = 50;
// Every fifth entry is the user's, so that they sit among the shown and the hidden ones alike.
constexpr int kUserDefinedEvery = 5;
constexpr int kUserDefinedItems = kEntries / kUserDefinedEvery;
// The list shows 7 Quick Links while the Resource Center is not hidden.
constexpr int kShown = 7;
constexpr DWORD kUserDefinedCategory = 9;
// Per entry its key name and category code on the Order key; per user item the 8 values of its
// key; then the order list, "Customized" and "HideGroup".
constexpr int kOkValues = kEntries * 2 + kUserDefinedItems * 8 + 3;
constexpr int kLoadTimeoutMs = 5000;

// OK may cost at most three times the bare writes.
constexpr double kGoal = 3.0;

QString FourDigits(int n) { return QStringLiteral("%1").arg(n, 4, 10, QChar(u'0')); }

struct Value {
    QString key; // below HKEY_CURRENT_USER
    QString name;
    DWORD type;
    QByteArray data;
};

Value StringValue(const QString& key, const QString& name, const QString& text)
{
    // With the terminator, as the utility writes REG_SZ.
    return {key, name, REG_SZ, QByteArray(reinterpret_cast<const char*>(text.utf16()), (text.size() + 1) * 2)};
}

Value DwordValue(const QString& key, const QString& name, DWORD value)
{
    return {key, name, REG_DWORD, QByteArray(reinterpret_cast<const char*>(&value), sizeof value)};
}

struct Entry {
    QString orderId;
    QString keyName;
    QString menuString;
    QString execInterface;
    DWORD category;
    DWORD execInterfaceType;
    bool userDefined;
};

QList<Entry> MakeEntries()
{
    QList<Entry> entries;
    int builtIn = 0;
    int user = 0;
    for (int n = 1; n <= kEntries; ++n) {
        if (n % kUserDefinedEvery == 0) {
            ++user;
            entries.append({FourDigits(n), QStringLiteral("UserDefined\\") + FourDigits(user),
                            QStringLiteral("My link %1").arg(user),
                            QStringLiteral("\"/usr/bin/xdg-open\" https://example.org/links/%1").arg(user),
                            kUserDefinedCategory, 4, true});
        } else {
            ++builtIn;
            const QString name = QStringLiteral("Item%1").arg(builtIn, 2, 10, QChar(u'0'));
            entries.append({FourDigits(n), name, QStringLiteral("Client item %1").arg(builtIn),
                            QStringLiteral("/opt/talven/bin/") + name.toLower(), DWORD(builtIn % 8 + 1), 1, false});
        }
    }
    return entries;
}

// "0001 ... 0007 9999 0008 ... 0050": the first kShown ids are checked.
QString OrderList(const QList<Entry>& entries)
{
    QStringList ids;
    for (const Entry& entry : entries) {
        if (ids.size() == kShown)
            ids.append(QStringLiteral("9999"));
        ids.append(entry.orderId);
    }
    return ids.join(QLatin1Char(' '));
}

// Everything the page's OK writes for these entries, with the data it writes.
QList<Value> OkValues(const QList<Entry>& entries)
{
    QList<Value> values;
    for (const Entry& entry : entries) {
        values.append(StringValue(kOrder, entry.orderId, entry.keyName));
        values.append(StringValue(kOrder, QLatin1Char('C') + entry.orderId,
                             entry.userDefined ? QStringLiteral("FFFF") : FourDigits(int(entry.category))));
        if (!entry.userDefined)
            continue;
        const QString key = kClient + QLatin1Char('\\') + entry.keyName;
        values.append(StringValue(key, QStringLiteral("ExecInterface"), entry.execInterface));
        values.append(StringValue(key, QStringLiteral("MenuString"), entry.menuString));
        values.append({key, QStringLiteral("EventForStatusChange"), REG_SZ, QByteArray()});
        values.append(DwordValue(key, QStringLiteral("ExecInterfaceType"), entry.execInterfaceType));
        values.append(DwordValue(key, QStringLiteral("MenuType"), 0));
        values.append(DwordValue(key, QStringLiteral("Capability"), 0));
        values.append(DwordValue(key, QStringLiteral("Category"), kUserDefinedCategory));
        values.append(DwordValue(key, QStringLiteral("Dependency"), 0));
    }
    values.append(StringValue(kOrder, QString(), OrderList(entries)));
    values.append(DwordValue(kData, QStringLiteral("Customized"), 1));
    values.append(DwordValue(kData, QStringLiteral("HideGroup"), 0));
    return values;
}

// The built-in items' keys, which OK only reads.
QList<Value> BuiltInItemValues(const QList<Entry>& entries)
{
    QList<Value> values;
    for (const Entry& entry : entries) {
        if (entry.userDefined)
            continue;
        const QString key = kClient + QLatin1Char('\\') + entry.keyName;
        values.append(StringValue(key, QStringLiteral("MenuString"), entry.menuString));
        values.append(StringValue(key, QStringLiteral("ExecInterface"), entry.execInterface));
        values.append(DwordValue(key, QStringLiteral("Category"), entry.category));
        values.append(DwordValue(key, QStringLiteral("ExecInterfaceType"), entry.execInterfaceType));
    }
    return values;
}

Key OpenKey(const QString& path)
{
    Key key;
    RegOpenKeyEx(HKEY_CURRENT_USER, path, KEY_READ, key.put());
    return key;
}

// Writes the store as an earlier OK left it, into whichever file HKCU points at, so that every OK
// finds the same store.
void Populate(const QList<Value>& values)
{
    Transaction txn(Root::CurrentUser);
    Require(txn.status() == ERROR_SUCCESS, "begin populating");
    for (const Value& value : values) {
        Key key;
        Require(RegCreateKeyEx(HKEY_CURRENT_USER, value.key, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS, "create a key");
        const auto* data = value.data.isEmpty() ? nullptr : reinterpret_cast<const BYTE*>(value.data.constData());
        Require(RegSetValueEx(key, value.name, value.type, data, DWORD(value.data.size())) == ERROR_SUCCESS,
                "set a value");
    }
    Require(txn.commit() == ERROR_SUCCESS, "commit populating");
}

struct RawWrite {
    long long key;
    QString name;
    DWORD type;
    QByteArray data;
};

struct Fixture {
    Fixture()
    {
        Require(okValues.size() == kOkValues, "count the values OK writes");
        QMap<QString, long long> ids;
        for (const Value& value : okValues) {
            long long& id = ids[value.key];
            if (id == 0)
                id = raw.resolve(value.key);
            Require(id > 0, "find a raw key");
            rawWrites.push_back({id, value.name, value.type, value.data});
        }
        rawOrderKey = ids.value(kOrder);
        QList<Entry> moved = entries;
        moved.swapItemsAt(0, 1);
        for (const QString& list : {OrderList(entries), OrderList(moved)})
            rawOrderLists.append(StringValue(kOrder, QString(), list).data);
    }

    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    // Leaves what OK has to remove or write again: a stale order id, a stale user item, a missing
    // value on the data key and on a user item.
    bool spoil() const
    {
        Transaction txn(Root::CurrentUser);
        Key order, staleItem, data, userItem;
        const bool ok =
            txn.status() == ERROR_SUCCESS &&
            RegOpenKeyEx(HKEY_CURRENT_USER, kOrder, KEY_ALL_ACCESS, order.put()) == ERROR_SUCCESS &&
            SetString(order, QStringLiteral("0777"), QStringLiteral("Stale")) == ERROR_SUCCESS &&
            SetString(order, QStringLiteral("C0777"), QStringLiteral("0001")) == ERROR_SUCCESS &&
            RegCreateKeyEx(HKEY_CURRENT_USER, kUserDefined + QStringLiteral("\\0099"), KEY_ALL_ACCESS,
                           staleItem.put()) == ERROR_SUCCESS &&
            SetString(staleItem, QStringLiteral("MenuString"), QStringLiteral("Stale")) == ERROR_SUCCESS &&
            RegOpenKeyEx(HKEY_CURRENT_USER, kData, KEY_ALL_ACCESS, data.put()) == ERROR_SUCCESS &&
            RegDeleteValue(data, QStringLiteral("Customized")) == ERROR_SUCCESS &&
            RegOpenKeyEx(HKEY_CURRENT_USER, kUserDefined + QStringLiteral("\\0003"), KEY_ALL_ACCESS,
                         userItem.put()) == ERROR_SUCCESS &&
            RegDeleteValue(userItem, QStringLiteral("Dependency")) == ERROR_SUCCESS;
        return ok && txn.commit() == ERROR_SUCCESS;
    }

    // What differs between the store and what OK should have left in it; empty when nothing does.
    QString mismatch() const
    {
        if (QFileInfo::exists(stores.path(QStringLiteral("hklm.db"))))
            return QStringLiteral("the machine root was written");
        const Key order = OpenKey(kOrder);
        QString list;
        if (!order || QueryString(order, QString(), kTextBufferUnits, &list) != ERROR_SUCCESS)
            return QStringLiteral("no order list");
        if (list != expectedOrderList)
            return QStringLiteral("order list \"%1\"").arg(list);
        DWORD orderValues = 0;
        if (RegQueryInfoKey(order, nullptr, &orderValues) != ERROR_SUCCESS || orderValues != kEntries * 2 + 1)
            return QStringLiteral("%1 values on the Order key").arg(orderValues);
        DWORD userItems = 0;
        const Key userDefined = OpenKey(kUserDefined);
        if (!userDefined || RegQueryInfoKey(userDefined, &userItems, nullptr) != ERROR_SUCCESS ||
            userItems != kUserDefinedItems)
            return QStringLiteral("%1 user-defined items").arg(userItems);
        for (const Value& value : okValues) {
            const Key key = OpenKey(value.key);
            DWORD type = REG_NONE;
            QByteArray data(value.data.size() + 1, '\0');
            DWORD size = DWORD(data.size());
            if (!key || RegQueryValueEx(key, value.name, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS ||
                type != value.type || data.left(size) != value.data)
                return QStringLiteral("value \"%1\" of %2").arg(value.name, value.key);
        }
        return {};
    }

    const QList<Entry> entries = MakeEntries();
    const QList<Value> okValues = OkValues(entries);
    const QString expectedOrderList = OrderList(entries);
    bench::TwinStores stores{QStringLiteral("quicklinks_bench"),
                             [this] { Populate(BuiltInItemValues(entries) + okValues); }};
    RawDb& raw = stores.raw();
    std::vector<RawWrite> rawWrites;
    long long rawOrderKey = -1;
    // The order list as stored, and after the first two entries swap places.
    QList<QByteArray> rawOrderLists;
    bool pageChecked = false;
};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The list fills on a timer once the page is created.
bool WaitForList(const CQuickLinks& page)
{
    const QDeadlineTimer deadline(kLoadTimeoutMs);
    while (!page.IsLoaded() && !deadline.hasExpired())
        QCoreApplication::processEvents();
    return page.IsLoaded();
}

// Loads a page and returns how long its OK took; negative when the list did not load. With moved
// set, the user first swaps the first two entries, so that OK has a changed list to write.
double TimedOk(bool moved = false)
{
    CQuickLinks page;
    page.CreatePage();
    if (!WaitForList(page) || page.Model().rowCount() != kEntries)
        return -1;
    if (moved)
        page.Model().MoveRow(0, 1);
    const Clock::time_point start = Clock::now();
    const app::SaveResult saved = page.OnOK();
    const double seconds = Seconds(Clock::now() - start);
    return saved.Failed() ? -1 : seconds;
}

void OkPage(benchmark::State& state, Fixture& f, bool moved)
{
    if (!f.pageChecked) {
        // An untimed OK on a store it has to repair shows that OK really saves.
        QString error;
        if (!f.spoil())
            error = QStringLiteral("cannot prepare the check");
        else if (TimedOk() < 0)
            error = QStringLiteral("the list did not load, or OK failed");
        else if (const QString mismatch = f.mismatch(); !mismatch.isEmpty())
            error = QStringLiteral("OK did not save: ") + mismatch;
        if (!error.isEmpty()) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        f.pageChecked = true;
    }
    for (auto _ : state) {
        const double seconds = TimedOk(moved);
        if (seconds < 0) {
            state.SkipWithError("the list did not load, or OK failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

// With moved set, every transaction swaps the order list between the two orders, as OK after a
// move does: the commit then has a changed page to write, as the page's has.
void OkRaw(benchmark::State& state, Fixture& f, bool moved)
{
    qsizetype turn = 0;
    for (auto _ : state) {
        const QByteArray& list = f.rawOrderLists.at(moved ? ++turn % 2 : 0);
        const Clock::time_point start = Clock::now();
        bool ok = f.raw.exec("BEGIN IMMEDIATE");
        for (const RawWrite& write : f.rawWrites) {
            const bool orderList = write.key == f.rawOrderKey && write.name.isEmpty();
            const QByteArray& data = orderList ? list : write.data;
            ok = ok && f.raw.set(write.key, write.name, write.type, data.constData(), int(data.size()));
        }
        ok = ok && f.raw.exec("COMMIT");
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (!ok) {
            f.raw.exec("ROLLBACK");
            state.SkipWithError("transaction failed");
            break;
        }
    }
    // The writes replaced the stored values rather than adding rows beside them.
    if (!state.error_occurred() && f.raw.valueCount(f.rawOrderKey) != kEntries * 2 + 1)
        state.SkipWithError("raw values added instead of replaced");
}

template <typename Body>
void Register(const char* name, Body body, Fixture* f)
{
    benchmark::RegisterBenchmark(name, [body, f](benchmark::State& state) { body(state, *f); })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.5)
        // Only OK itself is timed; the page's creation and load are not.
        ->UseManualTime();
}

} // namespace

int main(int argc, char** argv)
{
    // OK's time follows the machine's load: unless told otherwise, each side runs five times and
    // the ratio takes the medians.
    std::vector<char*> args(argv, argv + argc);
    char defaultRepetitions[] = "--benchmark_repetitions=5";
    if (std::none_of(args.begin(), args.end(),
                     [](const char* arg) { return std::strncmp(arg, "--benchmark_repetitions", 23) == 0; }))
        args.insert(args.begin() + 1, defaultRepetitions);
    args.push_back(nullptr);
    int count = int(args.size()) - 1;
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(count, args.data());
    // A user who is neither elevated (an elevated copy writes no list) nor an administrator (who
    // would also write AllowOnlyAdmin to the machine root): OK writes to the per-user root alone.
    platform::OverrideUserRights({false, false});

    std::unique_ptr<Fixture> fixture;
    try {
        fixture = std::make_unique<Fixture>();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quicklinks_bench: cannot prepare the stores: %s\n", e.what());
        return 1;
    }
    // OK on the list as the last OK left it, the commonest case: what is stored already is
    // rewritten in place. After a move the order-id values are deleted and written anew.
    Register("quicklinks_ok/page", [](benchmark::State& s, Fixture& f) { OkPage(s, f, false); }, fixture.get());
    Register("quicklinks_ok/page_moved", [](benchmark::State& s, Fixture& f) { OkPage(s, f, true); }, fixture.get());
    Register("quicklinks_ok/raw", [](benchmark::State& s, Fixture& f) { OkRaw(s, f, false); }, fixture.get());
    Register("quicklinks_ok/raw_moved", [](benchmark::State& s, Fixture& f) { OkRaw(s, f, true); }, fixture.get());

    RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n");
    const struct { const char* page; const char* raw; const char* what; } pairs[] = {
        {"quicklinks_ok/page", "quicklinks_ok/raw", "OK on an unchanged list"},
        {"quicklinks_ok/page_moved", "quicklinks_ok/raw_moved", "OK after a move"},
    };
    for (const auto& p : pairs) {
        const double page = reporter.seconds(p.page);
        const double raw = reporter.seconds(p.raw);
        if (page < 0 || raw < 0)
            continue;
        if (std::isnan(page) || std::isnan(raw)) {
            std::printf("%s: failed\n", p.what);
            continue;
        }
        std::printf("%s (%d entries, %d user-defined): %.3f ms; raw transaction of %d values: %.3f ms; "
                    "%.2fx (goal <= %.0fx)\n",
                    p.what, kEntries, kUserDefinedItems, page * 1e3, kOkValues, raw * 1e3, page / raw, kGoal);
    }
    return 0;
}
