// Report rendering, side by side in one run: the renderer against the literal fill (one
// replacement over the whole document per row and per cell) at 10,000 rows, and the renderer
// alone at 100,000 rows with its peak memory next to the size of the document it made.
//
// Memory is counted by this program's own operator new: the peak of live heap bytes during one
// Generate, above what was live before it (the grid, the styles). That is the renderer's own
// working set, output included; ru_maxrss is printed too but also holds everything the process
// touched before.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "bench/bench_util.h"
#include "report/report.h"
#include "report/report_styles.h"
#include "reportview/memory_grid.h"
#include "testing/render_test_support.h"

namespace {

std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void* CountedAlloc(std::size_t size) {
  constexpr std::size_t kHeader = alignof(std::max_align_t);
  void* raw = std::malloc(size + kHeader);
  if (raw == nullptr) throw std::bad_alloc();
  *static_cast<std::size_t*>(raw) = size;
  const std::size_t live = gLive += size;
  std::size_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(raw) + kHeader;
}

void CountedFree(void* p) {
  if (p == nullptr) return;
  constexpr std::size_t kHeader = alignof(std::max_align_t);
  void* raw = static_cast<char*>(p) - kHeader;
  gLive -= *static_cast<std::size_t*>(raw);
  std::free(raw);
}

}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }

namespace {

using namespace orlix;

// Rows shaped like the component list: ProgID, file path, version, attribute, CLSID.
std::unique_ptr<MemoryGrid> ComponentGrid(int rows) {
  auto grid = std::make_unique<MemoryGrid>();
  const char* headers[] = {"ProgID", "File Path", "Version", "Attribute", "CLSID"};
  const double widths[] = {220, 300, 80, 70, 260};
  for (int c = 0; c < 5; ++c) {
    grid->AddColumn("", headers[c]);
    grid->SetColumnWidth(c, widths[c]);
  }
  char buffer[128];
  for (int r = 0; r < rows; ++r) {
    std::snprintf(buffer, sizeof buffer, "Vendor.Component%d.1", r);
    const int item = grid->AddItem(buffer);
    std::snprintf(buffer, sizeof buffer, "C:\\Program Files\\Vendor\\lib%d\\component & <helper>.dll", r % 977);
    grid->SetSubItem(item, 1, buffer);
    std::snprintf(buffer, sizeof buffer, "%d.%d.%d.0", 1 + r % 9, r % 17, r % 2049);
    grid->SetSubItem(item, 2, buffer);
    grid->SetSubItem(item, 3, r % 3 == 0 ? "\"Safe\"" : "{Local}");
    std::snprintf(buffer, sizeof buffer, "{%08X-1234-4C5D-9E8F-%012X}", static_cast<unsigned>(r) * 2654435761u, r);
    grid->SetSubItem(item, 4, buffer);
  }
  return grid;
}

std::shared_ptr<cReport> Style(ReportStyles& styles, const char* key, Grid* grid) {
  auto job = styles.Item(key);
  job->ListView(grid);
  return job;
}

double MeasureNew(cReport& job, int runs) {
  return bench::MedianSeconds(runs, [&] { job.Generate(); });
}

double MeasureLiteral(cReport& job, Grid* grid, const ReportParameters* params) {
  const reference::Templates t = cReportTestAccess::GetTemplates(job);
  std::string out;
  const double seconds = bench::MedianSeconds(1, [&] {
    out = reference::RenderLiterally(job.ReportType, t, params, grid, cReportTestAccess::ColumnOrder(job));
  });
  job.Generate();
  if (out != job.ReportContents) std::printf("!! the literal fill and the renderer differ\n");
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  // --quick leaves out the literal fill (minutes at 10,000 rows).
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
#if defined(__GLIBC__)
  // glibc serves a large block from reused heap pages once a block of its size has been freed,
  // but only up to 32 MB: the 10,000-row document would be written into warm pages and the
  // 100,000-row one into fresh pages from the kernel. A fixed threshold gives both fresh pages.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
  ReportStyles styles;
  const auto params = render_test::MakeParameters({{"{||ReportTitle||}", "Components"}});
  LoadReportStyles(styles, nullptr, params);

  const char* keys[2] = {"REPORT1", "REPORT17"};  // ClassicBlack, RTF and HTML
  const char* names[2] = {"RTF ", "HTML"};
  auto small = ComponentGrid(10000);
  auto big = ComponentGrid(100000);

  std::printf("Renderer, 5 columns (median of 5 runs; time per byte of output shows linearity):\n");
  double smallSeconds[2] = {}, bigSeconds[2] = {};
  for (int i = 0; i < 2; ++i) {
    auto job = Style(styles, keys[i], small.get());
    smallSeconds[i] = MeasureNew(*job, 5);
    const std::size_t smallOutput = job->ReportContents.size();
    job = Style(styles, keys[i], big.get());
    job->ReportContents = std::string();
    job->ReportContents.shrink_to_fit();
    const std::size_t before = gLive.load();
    gPeak = before;
    job->Generate();
    const std::size_t peak = gPeak.load() - before;
    const std::size_t output = job->ReportContents.size();
    bigSeconds[i] = MeasureNew(*job, 5);
    std::printf("  %s  10,000 rows %8.4f s (%5.2f ns/byte)   100,000 rows %8.4f s (%5.2f ns/byte)   ratio %5.2f"
                " (target at most 12)\n",
                names[i], smallSeconds[i], smallSeconds[i] * 1e9 / smallOutput, bigSeconds[i],
                bigSeconds[i] * 1e9 / output, bigSeconds[i] / smallSeconds[i]);
    std::printf("        100,000 rows: output %6.1f MB, peak heap during Generate %6.1f MB = %.2f x output"
                " (target under 3)\n",
                output / 1e6, peak / 1e6, static_cast<double>(peak) / static_cast<double>(output));
  }
#if !defined(_WIN32)
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("  process ru_maxrss %.1f MB (both grids, styles and documents included)\n", usage.ru_maxrss / 1e3);
#endif
  big.reset();

  if (!quick) {
    std::printf("10,000 rows x 5 columns, renderer against the literal fill (one run):\n");
    for (int i = 0; i < 2; ++i) {
      auto job = Style(styles, keys[i], small.get());
      const double literal = MeasureLiteral(*job, small.get(), params.get());
      bench::PrintRatio(i == 0 ? "  RTF  literal fill (floor: renderer)" : "  HTML literal fill (floor: renderer)",
                        literal, smallSeconds[i]);
    }
  }
  return 0;
}
