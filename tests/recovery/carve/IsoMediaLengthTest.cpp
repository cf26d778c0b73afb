// The ISO media box walk on movies and audio made by ffmpeg, laid among
// random bytes or before other files, and on hostile box sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FormatLengths.h"
#include "PlacedMedium.h"
#include "Thread.h"

namespace {

constexpr uint32_t kSector = PlacedMedium::kSector;
constexpr uint32_t kFirst = 5;

uint32_t Sectors(std::size_t bytes) { return static_cast<uint32_t>((bytes + kSector - 1) / kSector); }

// The walk over file at kFirst, then follower from the next sector on, then
// spare random sectors; window sectors are in the buffer when it begins.
uint64_t Walk(const std::vector<uint8_t>& file, const std::vector<uint8_t>& follower = {}, uint32_t window = 12,
              uint32_t spare = 16, const Thread* worker = nullptr) {
  const uint32_t sectors = Sectors(file.size()) + Sectors(follower.size()) + spare;
  PlacedMedium medium(kFirst + sectors, 9);
  medium.Place(kFirst, file);
  medium.Place(kFirst + Sectors(file.size()), follower);
  if (window > sectors) window = sectors;
  if (!medium.Open() || !medium.ReadWindow(kFirst, window)) return ~0ULL;
  return IsoMediaFileLength(*medium.media, kFirst, window, worker);
}

void PutBe32(std::vector<uint8_t>& to, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) to[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// A box of the given type whose size field says size; payload bytes follow.
std::vector<uint8_t> SizedBox(const char* type, uint32_t size, std::size_t payload) {
  std::vector<uint8_t> box(8 + payload, 0x33);
  PutBe32(box, 0, size);
  for (int i = 0; i < 4; ++i) box[4 + i] = static_cast<uint8_t>(type[i]);
  return box;
}
std::vector<uint8_t> Box(const char* type, std::size_t payload) {
  return SizedBox(type, static_cast<uint32_t>(8 + payload), payload);
}

// A box with a 64-bit size.
std::vector<uint8_t> LargeBox(const char* type, uint64_t size, std::size_t payload) {
  std::vector<uint8_t> box = SizedBox(type, 1, 8 + payload);
  PutBe32(box, 8, static_cast<uint32_t>(size >> 32));
  PutBe32(box, 12, static_cast<uint32_t>(size));
  return box;
}

std::vector<uint8_t> Joined(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const std::vector<uint8_t>& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A movie as a camera writes it: file type, data, then the movie box.
std::vector<uint8_t> Movie() { return Joined({Box("ftyp", 12), Box("mdat", 700), Box("moov", 90)}); }

// Where the movie box begins.
std::size_t MovieBoxAt(const std::vector<uint8_t>& file) {
  const std::string type = "moov";
  return static_cast<std::size_t>(std::search(file.begin(), file.end(), type.begin(), type.end()) - file.begin()) - 4;
}

const char* const kSamples[] = {"clip.mp4",     "clip-mp42.mp4",  "clip-fragmented.mp4", "clip.mov",
                                "clip-moov.mov", "clip-mdat.mov", "clip-wide.mov",       "clip-mjpeg.mov",
                                "clip.3gp",     "sound.m4a"};

}  // namespace

TEST(IsoMediaLength, FilesMadeByFfmpegGetTheirExactLength) {
  const std::vector<uint8_t> photo = SampleFile("photo.jpg");
  const std::vector<uint8_t> zeros(4 * kSector, 0);
  for (const char* name : kSamples) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> file = SampleFile(name);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(Walk(file), file.size());
    EXPECT_EQ(Walk(file, photo), file.size());
    EXPECT_EQ(Walk(file, zeros), file.size());
    EXPECT_EQ(Walk(file, {}, 1), file.size());  // the cursor reads the rest
    // The medium ends inside the movie box, past its header.
    const std::size_t moov = MovieBoxAt(file);
    ASSERT_LT(moov, file.size());
    std::vector<uint8_t> cut(file.begin(), file.begin() + Sectors(moov + 9) * kSector);
    EXPECT_EQ(Walk(cut, {}, 12, 0), 0u);
  }
}

TEST(IsoMediaLength, TheNextFileEndsTheWalk) {
  // A movie filled to its sector's end, so that the next file follows it directly.
  std::vector<uint8_t> movie = Movie();
  const std::size_t fill = Sectors(movie.size() + 8) * kSector - movie.size();
  movie = Joined({movie, Box("free", fill - 8)});
  ASSERT_EQ(movie.size() % kSector, 0u);
  // A file-type box begins the next file.
  EXPECT_EQ(Walk(movie, SampleFile("clip.mp4")), movie.size());
  // A movie without one runs into this one: where the first ends is unknown.
  EXPECT_EQ(Walk(movie, SampleFile("clip-mdat.mov")), 0u);
  // The medium ends with the movie.
  EXPECT_EQ(Walk(movie, {}, 12, 0), movie.size());
}

TEST(IsoMediaLength, AMovieNeedsItsMovieBoxAndItsData) {
  EXPECT_EQ(Walk(Joined({Box("ftyp", 12), Box("moov", 90)})), 0u);
  EXPECT_EQ(Walk(Joined({Box("ftyp", 12), Box("free", 0), Box("mdat", 90)})), 0u);
  // Fragments carry the data after an empty movie box.
  EXPECT_EQ(Walk(Joined({Box("ftyp", 12), Box("moov", 40), Box("moof", 30), Box("mdat", 50)})), 20u + 48 + 38 + 58);
  // Not a box at all: the walk begins at no top-level box.
  EXPECT_EQ(Walk(std::vector<uint8_t>(kSector, 0)), 0u);
}

TEST(IsoMediaLength, AnUnknownBoxAfterTheMovieEndsIt) {
  const std::vector<uint8_t> movie = Movie();
  EXPECT_EQ(Walk(Joined({movie, Box("abcd", 20)})), movie.size());
  EXPECT_EQ(Walk(Joined({movie, Box("free", 20), Box("abcd", 20)})), movie.size() + 28);
  // The boxes of the top level that cameras add after the movie belong to it.
  EXPECT_EQ(Walk(Joined({movie, Box("uuid", 40), Box("skip", 3)})), movie.size() + 48 + 11);
}

TEST(IsoMediaLength, InconsistentSizesGiveNoLength) {
  const std::vector<uint8_t> start = Joined({Box("ftyp", 12), Box("mdat", 100)});
  const std::vector<uint8_t> moov = Box("moov", 90);
  EXPECT_EQ(Walk(Joined({start, SizedBox("moov", 3, 90)})), 0u);
  EXPECT_EQ(Walk(Joined({SizedBox("ftyp", 7, 12), Box("mdat", 100), moov})), 0u);
  // To the end of the file, which a carve does not know.
  EXPECT_EQ(Walk(Joined({Box("ftyp", 12), moov, SizedBox("mdat", 0, 100)})), 0u);
  // A 64-bit size within the file, one smaller than its header, one past the medium.
  EXPECT_EQ(Walk(Joined({Box("ftyp", 12), LargeBox("mdat", 16 + 300, 300), moov})), 20u + 316 + 98);
  EXPECT_EQ(Walk(Joined({Box("ftyp", 12), LargeBox("mdat", 15, 300), moov})), 0u);
  EXPECT_EQ(Walk(Joined({Box("ftyp", 12), moov, LargeBox("mdat", 1ULL << 40, 300)})), 0u);
  // A uuid box too small for its extended type.
  EXPECT_EQ(Walk(Joined({Box("ftyp", 12), moov, Box("mdat", 10), SizedBox("uuid", 20, 12)})), 0u);
}

TEST(IsoMediaLength, TheWalkIsBounded) {
  const std::vector<uint8_t> movie = Movie();
  std::vector<uint8_t> frees;
  for (int i = 0; i < 1000; ++i) frees = Joined({frees, Box("free", 0)});
  EXPECT_EQ(Walk(Joined({movie, frees})), movie.size() + frees.size());
  // Millions of empty boxes: the walk gives up rather than counting them all.
  std::vector<uint8_t> bomb = movie;
  const std::vector<uint8_t> free = Box("free", 0);
  for (int i = 0; i < 1 << 20; ++i) bomb.insert(bomb.end(), free.begin(), free.end());
  EXPECT_EQ(Walk(bomb), 0u);

  Thread worker;
  worker.requestStop();
  EXPECT_EQ(Walk(SampleFile("clip.mp4"), {}, 12, 16, &worker), 0u);
}

TEST(IsoMediaLength, AnUnreadableBoxHeaderEndsTheWalk) {
  const std::vector<uint8_t> file = SampleFile("clip.mp4");  // ftyp, free, mdat, moov
  ASSERT_GT(file.size(), 2u * kSector);
  PlacedMedium medium(kFirst + Sectors(file.size()) + 4);
  medium.Place(kFirst, file);
  ASSERT_TRUE(medium.Open());
  // The sector of the movie box's header, beyond a window of one sector.
  medium.medium->FailSector(kFirst + static_cast<uint32_t>(MovieBoxAt(file) / kSector));
  ASSERT_TRUE(medium.ReadWindow(kFirst, 1));
  EXPECT_EQ(IsoMediaFileLength(*medium.media, kFirst, 1, nullptr), 0u);
}
