// Importing a 10,000-outline OPML file with the loader and the OPML reader, beside xmllint parsing
// the same file (and newsboat importing it, when installed), measured in one run, so that the
// ratio shows what the loader, its thread hand-over and the reader cost over parsing alone.

#include "RatioReporter.h"
#include "feeds/FeedReaders.h"
#include "feeds/XmlDomEventSink.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace mc;

constexpr int kFolders = 100;
constexpr int kFeedsPerFolder = 100;
constexpr int kFeeds = kFolders * kFeedsPerFolder;

// The loader and reader may cost at most half again as much as xmllint parsing the file.
constexpr double kGoal = 1.5;

struct Fixture {
    QTemporaryDir dir;
    QString opml;
    std::string xmllint;
    std::string newsboat;
};

bool WriteOpml(const QString& path)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"2.0\">\n"
                      "  <head><title>Benchmark subscriptions</title></head>\n  <body>\n";
    for (int folder = 0; folder < kFolders; ++folder) {
        const QByteArray f = QByteArray::number(folder).rightJustified(2, '0');
        text += "    <outline text=\"Folder " + f + "\">\n";
        for (int feed = 0; feed < kFeedsPerFolder; ++feed) {
            const QByteArray n = QByteArray::number(feed).rightJustified(3, '0');
            text += "      <outline type=\"rss\" text=\"Folder " + f + " feed " + n
                + "\" xmlUrl=\"https://feeds.example.org/folder" + f + "/feed" + n + ".xml\" htmlUrl=\"https://www.example.org/f"
                + f + "/" + n + "/\" description=\"Feed " + n + " of folder " + f + "\"/>\n";
        }
        text += "    </outline>\n";
    }
    text += "  </body>\n</opml>\n";
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Runs a program to its end; true when it exits with 0.
bool Run(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {})
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp(extraEnv.size());
    for (size_t i = 0; i < extraEnv.size(); ++i)
        envp[i] = const_cast<char*>(extraEnv[i].c_str());
    for (char** e = environ; *e; ++e)
        envp.push_back(*e);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args.front().c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Loader(benchmark::State& state, Fixture& f)
{
    RssEntryList entries;
    for (auto _ : state) {
        QObject owner;
        auto* sink = new CXmlDomEventSink(&owner);
        // As the import loads its file.
        sink->setRecover(true);
        QEventLoop loop;
        std::shared_ptr<const XmlDocument> document;
        QObject::connect(sink, &CXmlDomEventSink::readyStateChange,
                         [&](int readyState, std::shared_ptr<const XmlDocument> loaded) {
                             if (readyState == CXmlDomEventSink::kCompleted) {
                                 document = std::move(loaded);
                                 loop.quit();
                             }
                         });
        sink->load(f.opml);
        loop.exec();
        ParseOPML(document->documentElement(), entries);
        if (entries.size() != kFeeds) {
            state.SkipWithError("the import did not find every feed");
            break;
        }
    }
}

void Xmllint(benchmark::State& state, Fixture& f)
{
    if (f.xmllint.empty()) {
        state.SkipWithError("xmllint not installed");
        return;
    }
    for (auto _ : state) {
        if (!Run({f.xmllint, "--noout", f.opml.toStdString()})) {
            state.SkipWithError("xmllint failed");
            break;
        }
    }
}

void Newsboat(benchmark::State& state, Fixture& f)
{
    const QString home = f.dir.filePath("newsboat");
    const QString urls = home + "/urls";
    QDir().mkpath(home);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(urls);
        QFile::remove(home + "/cache.db");
        state.ResumeTiming();
        if (!Run({f.newsboat, "-u", urls.toStdString(), "-c", (home + "/cache.db").toStdString(), "-C",
                  (home + "/config").toStdString(), "-i", f.opml.toStdString()},
                 {"HOME=" + home.toStdString()})) {
            state.SkipWithError("newsboat failed");
            break;
        }
    }
}


void PrintRatio(const char* what, double ours, double theirs, const char* goal)
{
    if (ours < 0 || theirs < 0)
        return;
    if (std::isnan(ours) || std::isnan(theirs))
        std::printf("ratio %s = failed%s\n", what, goal);
    else
        std::printf("ratio %s = %.2fx%s\n", what, ours / theirs, goal);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    Fixture fixture;
    fixture.opml = fixture.dir.filePath("subscriptions.opml");
    if (!fixture.dir.isValid() || !WriteOpml(fixture.opml)) {
        std::fprintf(stderr, "feeds_bench: cannot write the OPML file\n");
        return 1;
    }
    fixture.xmllint = QStandardPaths::findExecutable("xmllint").toStdString();
    fixture.newsboat = QStandardPaths::findExecutable("newsboat").toStdString();
    std::printf("OPML file: %d outlines in %d folders, %lld bytes\n", kFeeds, kFolders,
                static_cast<long long>(QFile(fixture.opml).size()));

    const std::pair<const char*, void (*)(benchmark::State&, Fixture&)> sides[] = {
        {"opml_import/loader", Loader}, {"opml_import/xmllint", Xmllint}, {"opml_import/newsboat", Newsboat}};
    for (const auto& [name, body] : sides) {
        if (body == Newsboat && fixture.newsboat.empty())
            continue;
        benchmark::RegisterBenchmark(name, [body = body, f = &fixture](benchmark::State& state) { body(state, *f); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0)
            // Child processes and a worker thread do the work: iterate by wall time.
            ->UseRealTime();
    }

    RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double loader = reporter.seconds("opml_import/loader");
    std::cout << '\n';
    std::fflush(stdout);
    char goal[32];
    std::snprintf(goal, sizeof goal, " (goal <= %.1fx)", kGoal);
    PrintRatio("opml import: loader/xmllint", loader, reporter.seconds("opml_import/xmllint"), goal);
    if (fixture.newsboat.empty())
        std::printf("newsboat not installed: its import was not measured\n");
    else
        PrintRatio("opml import: loader/newsboat", loader, reporter.seconds("opml_import/newsboat"), "");
    return 0;
}
