// The cut of a PDF record at the line end after its last "%%EOF": the samples
// with an incremental update (LF and CR LF), markers across the seams of the
// backward reads and of the record's runs, and the bound.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "File.h"
#include "PdfEnd.h"
#include "PlacedMedium.h"
#include "Thread.h"

namespace {

constexpr uint32_t kSector = PlacedMedium::kSector;

void Put(PlacedMedium& medium, std::size_t at, const char* text) {
  std::memcpy(medium.image.data() + at, text, std::strlen(text));
}

// A record as the sector search leaves it: its runs, and all their sectors in its size.
std::unique_ptr<File> Record(const char* extension, const std::vector<SectorRun>& runs) {
  auto record = std::make_unique<File>(File::GeneratedName("Rec", 1, extension));
  for (const SectorRun& run : runs) record->addRun(run.first, run.count);
  record->size = record->countSectors() * kSector;
  return record;
}

uint64_t EndOf(PlacedMedium& medium, const File& record, const Thread* worker = nullptr) {
  if (!medium.Open()) return ~0ULL;
  return PdfEndLength(*medium.media, record, worker);
}

}  // namespace

TEST(PdfEnd, TheSamplesEndAfterTheirLastEofAndItsLineEnd) {
  for (const char* name : {"document.pdf", "document-updated.pdf", "document-crlf.pdf"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> pdf = SampleFile(name);
    ASSERT_FALSE(pdf.empty());
    PlacedMedium medium(60);
    medium.Place(10, pdf);
    // The random sectors after it, which the search added to the record.
    auto record = Record("pdf", {{10, static_cast<uint32_t>((pdf.size() + kSector - 1) / kSector) + 5}});
    ASSERT_TRUE(medium.Open());
    CutPdfAtLastEnd(*medium.media, *record, nullptr);
    EXPECT_EQ(record->size, pdf.size());
  }
}

TEST(PdfEnd, TheLineEndAfterTheMarker) {
  struct Case {
    const char* text;
    uint64_t end;  // after the marker at 100
  };
  const Case cases[] = {{"%%EOF\n", 106}, {"%%EOF\r\n", 107}, {"%%EOF\r", 106}, {"%%EOF\n\n", 106},
                        {"%%EOF\n\r", 106}, {"%%EOF  \n", 105}, {"%%EOF%%EO", 105}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    PlacedMedium medium(8);
    Put(medium, 3 * kSector, "%%EOF\n");  // an earlier section
    Put(medium, 3 * kSector + 100, c.text);
    EXPECT_EQ(EndOf(medium, *Record("pdf", {{3, 4}})), c.end);
  }
  // The marker as the record's last bytes.
  PlacedMedium medium(8);
  Put(medium, 4 * kSector - 5, "%%EOF");
  EXPECT_EQ(EndOf(medium, *Record("pdf", {{3, 1}})), kSector);
}

// Reads go back 16 sectors at a time from the record's end: 40 sectors read
// as [24, 40), [8, 24) and [0, 8).
TEST(PdfEnd, MarkersAcrossTheSeamsOfReadsAndRuns) {
  const uint64_t seam = 24 * kSector;
  PlacedMedium across(50);
  Put(across, 2 * kSector + seam - 2, "%%EOF\r\n");
  EXPECT_EQ(EndOf(across, *Record("pdf", {{2, 40}})), seam + 5);
  PlacedMedium lineEndAcross(50);
  Put(lineEndAcross, 2 * kSector + seam - 6, "%%EOF\r\n");
  EXPECT_EQ(EndOf(lineEndAcross, *Record("pdf", {{2, 40}})), seam + 1);
  // Two runs: the file's sector 10 is the medium's sector 50.
  PlacedMedium runs(70);
  Put(runs, 20 * kSector - 3, "%%E");
  Put(runs, 50 * kSector, "OF\n");
  EXPECT_EQ(EndOf(runs, *Record("pdf", {{10, 10}, {50, 10}})), 10 * kSector + 3);
}

TEST(PdfEnd, WithoutAMarkerTheRecordKeepsItsSize) {
  PlacedMedium medium(30);
  Put(medium, 5 * kSector, "%%EO");
  auto record = Record("pdf", {{4, 20}});
  ASSERT_TRUE(medium.Open());
  EXPECT_EQ(PdfEndLength(*medium.media, *record, nullptr), 0u);
  CutPdfAtLastEnd(*medium.media, *record, nullptr);
  EXPECT_EQ(record->size, 20u * kSector);
  // Only PDF records are cut.
  Put(medium, 6 * kSector, "%%EOF\n");
  ASSERT_TRUE(medium.Open());
  auto text = Record("txt", {{4, 20}});
  CutPdfAtLastEnd(*medium.media, *text, nullptr);
  EXPECT_EQ(text->size, 20u * kSector);
}

TEST(PdfEnd, TheLookBackIsBoundedAndEndsOnAFailedReadOrAStop) {
  // 64 MiB and 16 sectors: the marker in the first sector lies beyond the bound.
  const uint32_t sectors = (64u << 20) / kSector + 16;
  PlacedMedium large(sectors + 1);
  Put(large, kSector, "%%EOF\n");
  EXPECT_EQ(EndOf(large, *Record("pdf", {{1, sectors}})), 0u);
  EXPECT_EQ(EndOf(large, *Record("pdf", {{1, sectors - 32}})), 6u);

  PlacedMedium medium(30);
  Put(medium, 5 * kSector, "%%EOF\n");
  ASSERT_TRUE(medium.Open());
  medium.medium->FailSector(20);
  EXPECT_EQ(PdfEndLength(*medium.media, *Record("pdf", {{4, 20}}), nullptr), 0u);
  Thread worker;
  worker.requestStop();
  EXPECT_EQ(PdfEndLength(*medium.media, *Record("pdf", {{4, 10}}), &worker), 0u);
}
