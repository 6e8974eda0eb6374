// Start-up of the utility to its first shown page, against a bare Qt dialog with a five-tab
// widget, each run as its own process so that time and peak memory cover the whole start.
// Prints "ratio start time: utility/bare = ..." and "ratio peak memory: ...".
//
//   startup_bench [runs]          runs each side (default 20) alternately and reports medians
//   startup_bench --child utility|bare   one start, used by the parent
#include "pagekit/Modal.h"
#include "pagekit/PropertyPage.h"
#include "registry/RegFileImport.h"
#include "shell/CustomizerApp.h"
#include "shell/QsCustSheet.h"

#include <QApplication>
#include <QFile>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Closes a dialog as soon as the event loop has shown it.
int ShowThenClose(QDialog& dialog)
{
    QTimer::singleShot(0, &dialog, &QDialog::reject);
    return dialog.exec();
}

void RunUtility()
{
    ui::SetModalHandler([](QDialog& dialog) {
        auto& sheet = static_cast<CQsCustSheet&>(dialog);
        const int result = ShowThenClose(sheet);
        if (!sheet.GetPage(0)->IsCreated())
            std::abort();
        return result;
    });
    CCustomizerApp app;
    app.InitInstance();
}

// What a plain Qt programmer would write for the same window.
void RunBare()
{
    QDialog dialog;
    dialog.setWindowTitle("Nesterly Customization Utility");
    auto* tabs = new QTabWidget;
    for (const char* title : {"Quick Links", "Resource Center", "Message Center", "Appearance", "Button light"}) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        layout->addWidget(new QLabel(QStringLiteral("Introduction of %1").arg(title)));
        layout->addStretch();
        layout->addWidget(new QCheckBox("&Hide"));
        layout->addWidget(new QCheckBox("Allow only users with Administrator &privileges to modify settings"));
        page->setMinimumSize(356, 431);
        tabs->addTab(page, title);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    ShowThenClose(dialog);
}

int Child(int argc, char** argv, const std::string& side)
{
    QApplication application(argc, argv);
    if (side == "utility")
        RunUtility();
    else
        RunBare();
    return 0;
}

struct Run {
    double seconds;
    long peakKiB;
};

Run Spawn(const char* self, const char* side)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        // The offscreen platform's notices would drown the report.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execl(self, self, "--child", side, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s start failed\n", side);
        std::exit(1);
    }
    return {seconds, usage.ru_maxrss};
}

template <typename T>
T Median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return Child(argc, argv, argv[2]);

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    // Both sides start offscreen on a store filled with the demo configuration.
    QTemporaryDir folder;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TALVEN_HKCU", qPrintable(folder.filePath("hkcu.db")), 1);
    setenv("TALVEN_HKLM", qPrintable(folder.filePath("hklm.db")), 1);
    setenv("XDG_RUNTIME_DIR", qPrintable(folder.path()), 1);
    QFile demo(QStringLiteral(QSCUST_DEMO_REG));
    if (!demo.open(QIODevice::ReadOnly))
        return 1;
    reg::ImportRegFile(demo.readAll());

    std::vector<double> utilityTimes, bareTimes;
    std::vector<long> utilityPeaks, barePeaks;
    Spawn(argv[0], "bare");
    for (int i = 0; i < runs; ++i) {
        const Run utility = Spawn(argv[0], "utility");
        const Run bare = Spawn(argv[0], "bare");
        utilityTimes.push_back(utility.seconds);
        bareTimes.push_back(bare.seconds);
        utilityPeaks.push_back(utility.peakKiB);
        barePeaks.push_back(bare.peakKiB);
    }
    const double utilityTime = Median(utilityTimes), bareTime = Median(bareTimes);
    const long utilityPeak = Median(utilityPeaks), barePeak = Median(barePeaks);
    std::printf("start to first page, median of %d: utility %.1f ms, bare %.1f ms\n", runs,
                utilityTime * 1000, bareTime * 1000);
    std::printf("peak memory, median of %d: utility %ld KiB, bare %ld KiB\n", runs, utilityPeak, barePeak);
    std::printf("ratio start time: utility/bare = %.2fx (goal <= 1.5x)\n", utilityTime / bareTime);
    std::printf("ratio peak memory: utility/bare = %.2fx (goal <= 1.3x)\n", double(utilityPeak) / barePeak);
    return 0;
}
