#!/usr/bin/env bash
# scripts/make-exfat.py on volumes that mkfs.exfat made with 512-byte, 4 KiB
# and 32 KiB clusters (and 4 KiB sectors where a loop device gives them), in
# stages: files empty, of one byte, of one cluster exactly and of many, long
# and non-ASCII names; folders three deep, a root and folders that outgrow
# their first cluster; a file that fragments and one that grows in place;
# deleted files and a deleted tree; new files in the room they left. After
# every stage fsck.exfat -n finds the volume clean and counts the folders and
# files put; the layouts are the ones a driver writes; the deleted sets stay
# on the medium, their clusters free. Where root, a loop device and exfat-fuse
# are at hand, the tree mounted read-only is exactly the one put (names,
# sizes, bytes, modification times). Volumes the tool must not write into
# are refused and left as they were.
#
# Usage: tests/recovery/exfat/make-exfat-test.sh
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tool=$(realpath "$here/../../../scripts/make-exfat.py")
work=$(mktemp -d)
mount=$work/mount
loop=
cleanup() {
  mountpoint -q "$mount" 2>/dev/null && umount "$mount"
  [ -n "$loop" ] && losetup -d "$loop"
  rm -rf "$work"
}
trap cleanup EXIT
export LC_ALL=C.UTF-8

failures=0
fail() {
  echo "FAIL: $*" | head -c 2000 >&2
  failures=$((failures + 1))
}

# The volume being filled, its cluster size, the expected tree, the script
# of the stage under way, and what failures name.
image='' cluster='' tree='' script='' where='' source='' sources=0

quoted() { printf '"%s"' "$1"; }

# random SIZE: a new source file of SIZE random bytes, named in $source.
random() {
  sources=$((sources + 1))
  source=$work/source-$sources
  head -c "$1" /dev/urandom >"$source"
}

make_dir() {  # PATH
  echo "mkdir $(quoted "$1") \"2020-01-02 03:04:05\"" >>"$script"
  mkdir -p "$tree/$1"
}

put() {  # PATH SIZE STAMP
  random "$2"
  echo "put $(quoted "$1") $(quoted "$source") $(quoted "$3")" >>"$script"
  cp "$source" "$tree/$1" && TZ=UTC touch -d "$3" "$tree/$1"
}

grow() {  # PATH SIZE STAMP
  random "$2"
  echo "grow $(quoted "$1") $(quoted "$source") $(quoted "$3")" >>"$script"
  cat "$source" >>"$tree/$1" && TZ=UTC touch -d "$3" "$tree/$1"
}

remove() {  # PATH
  echo "rm $(quoted "$1")" >>"$script"
  rm "$tree/$1"
}

remove_tree() {  # PATH
  echo "rmdir -r $(quoted "$1")" >>"$script"
  rm -r "${tree:?}/$1"
}

free_clusters() {
  dump.exfat "$image" 2>/dev/null | awk -F: '/^Free Clusters/ { gsub(/[ \t]/, "", $2); print $2 }'
}

# inspect IMAGE QUERY [PATH]: what the volume holds, read with the tool's own
# decoder. "root" prints the root folder's cluster count; "layout" the stream
# flags, cluster count and runs of a live file or folder; "deleted" prints
# "sealed" when a set of that name is on the medium with every in-use bit
# clear and the checksum of its live form.
inspect() {
  python3 - "$tool" "$@" <<'EOF'
import importlib.util, mmap, sys
spec = importlib.util.spec_from_file_location("make_exfat", sys.argv[1])
tool = importlib.util.module_from_spec(spec)
spec.loader.exec_module(tool)
image_path, query, path = (sys.argv[2:5] + [""])[:3]
with open(image_path, "rb") as handle, mmap.mmap(handle.fileno(), 0, access=mmap.ACCESS_READ) as image:
    volume = tool.Volume(image)
    parts = path.split("/")
    if query == "root":
        print(len(volume.root.clusters))
        sys.exit(0)
    if query == "layout":
        found = volume.existing(path)
        clusters = volume.stream_clusters(found.first_cluster(), found.length(), found.flags())
        runs = sum(1 for i, c in enumerate(clusters) if i == 0 or c != clusters[i - 1] + 1)
        print(found.flags(), len(clusters), runs)
        sys.exit(0)
    directory = volume.folder(parts[:-1])
    units = tool.name_units(parts[-1])
    for index in range(directory.count()):
        first = directory.read(index)
        if first[0] != tool.FILE & ~tool.IN_USE:
            continue
        entries = [directory.read(index + i) for i in range(1 + first[1]) if index + i < directory.count()]
        live = [bytes([e[0] | tool.IN_USE]) + e[1:] for e in entries]
        named = tool.EntrySet(directory, index, [bytearray(e) for e in live]).units == units
        clear = all(e[0] & tool.IN_USE == 0 for e in entries)
        if named and clear and tool.rotating_sum(b"".join(live), 16, skip=(2, 3)) == tool.le(first, 2, 2):
            print("sealed")
            sys.exit(0)
    print("missing")
EOF
}

expect() {  # WHAT ACTUAL EXPECTED
  [ "$2" = "$3" ] || fail "$where: $1 is '$2', not '$3'"
}

# fsck.exfat -n finds the volume clean, with the folders (the root with
# them) and files of the tree.
check_clean() {  # STAGE
  local out folders files
  out=$(fsck.exfat -n "$image" 2>&1) || fail "$where, $1: fsck.exfat -n: $out"
  folders=$(find "$tree" -type d | wc -l)
  files=$(find "$tree" -type f | wc -l)
  grep -q "clean. directories $folders, files $files\$" <<<"$out" ||
    fail "$where, $1: fsck.exfat counts otherwise than $folders folders, $files files: $out"
}

# Mounting needs root, a loop device and exfat-fuse; without them the
# mounted comparison is skipped once, with a note.
can_mount=unknown
listing() {  # ROOT: folders, then files with size and modification second
  (cd "$1" && find . -mindepth 1 -type d | sort && find . -type f -printf '%p|%s|%TY-%Tm-%Td %TH:%TM:%TS\n' |
    sed 's/\(:[0-9][0-9]\)\.[0-9]*$/\1/' | sort)
}
check_mounted() {  # STAGE
  [ "$can_mount" = no ] && return
  if [ "$(id -u)" != 0 ] || ! command -v mount.exfat-fuse >/dev/null ||
    ! loop=$(losetup -f --show "$image" 2>/dev/null); then
    echo "SKIP: the mounted comparison needs root, a loop device and exfat-fuse"
    can_mount=no loop=
    return
  fi
  mkdir -p "$mount"
  # A zone with summer time: a time read without the UTC offset byte shows.
  if ! TZ=Europe/Berlin timeout 20 mount.exfat-fuse -o ro "$loop" "$mount" >/dev/null 2>&1; then
    losetup -d "$loop" && loop=
    [ "$can_mount" = yes ] && fail "$where, $1: exfat-fuse no longer mounts the volume"
    [ "$can_mount" = unknown ] && echo "SKIP: exfat-fuse cannot mount here" && can_mount=no
    return
  fi
  can_mount=yes
  # exfat-fuse gives whole seconds: the 10 ms parts cannot be compared.
  diff <(TZ=UTC listing "$tree") <(TZ=UTC listing "$mount") >"$work/diff" ||
    fail "$where, $1: the mounted tree differs from the one put: $(cat "$work/diff")"
  diff -r "$tree" "$mount" >"$work/diff" || fail "$where, $1: bytes differ: $(cat "$work/diff")"
  umount "$mount" && losetup -d "$loop" && loop=
}

stage() {  # NAME: writes the stage's script into the volume and checks it
  "$tool" "$image" "$script" >"$work/out" 2>&1 || fail "$where, $1: make-exfat.py: $(cat "$work/out")"
  : >"$script"
  check_clean "$1"
  check_mounted "$1"
}

# format SIZE [SECTOR]: a new volume in $image; sectors other than 512 bytes
# need a loop device, without which it is false.
format() {
  local device
  rm -f "$image" && truncate -s "$1" "$image"
  if [ -z "${2:-}" ]; then mkfs.exfat -c "$cluster" -L BUILT "$image" >/dev/null && return; fi
  [ "$(id -u)" = 0 ] && device=$(losetup -b "$2" -f --show "$image" 2>/dev/null) || return 1
  mkfs.exfat -c "$cluster" -L BUILT "$device" >/dev/null
  losetup -d "$device"
}

check_volume() {  # CLUSTER SIZE [SECTOR]
  cluster=$1 image=$work/volume-$1-${3:-512}.img tree=$work/tree-$1 script=$work/script-$1
  where="$1-byte clusters of ${3:-512}-byte sectors"
  local per_cluster=$((cluster / 32)) i before doomed
  rm -rf "$tree" && mkdir -p "$tree" && : >"$script"
  if ! format "$2" "${3:-}"; then
    echo "SKIP: $where need a loop device"
    return
  fi

  make_dir DCIM/100CANON
  put DCIM/100CANON/EMPTY.JPG 0 "2021-01-01 00:00:00"
  put DCIM/100CANON/ONE.JPG 1 "2021-01-01 00:00:01"
  put DCIM/100CANON/CLUSTER.JPG "$cluster" "2021-05-06 07:08:09.37"
  put DCIM/100CANON/MANY.JPG $((20 * cluster + 7)) "2021-12-31 23:59:58.99"
  put "DCIM/100CANON/Holiday at the lake, seen from the hills above the old bridge, on the last evening.jpg" 3000 \
    "2022-07-08 18:00:01"
  put "DCIM/Été à Noël ñ ß Ωμέγα.txt" 15 "2022-02-03 04:05:06"
  stage files
  expect "the empty file's layout" "$(inspect "$image" layout DCIM/100CANON/EMPTY.JPG)" "1 0 0"
  expect "a file's layout" "$(inspect "$image" layout DCIM/100CANON/MANY.JPG)" "3 21 1"

  make_dir A/B/C
  put A/B/C/deep.bin 100 "2022-03-03 03:03:03"
  # Empty files take no clusters: BIG's second cluster follows its first.
  make_dir BIG
  for i in $(seq -f %03g 1 $((per_cluster / 3 + 2))); do put "BIG/F$i" 0 "2022-04-04 04:04:04"; done
  # Each file takes the cluster after MIXED's: its second cluster is elsewhere.
  make_dir MIXED
  for i in $(seq -f %03g 1 $((per_cluster / 3 + 2))); do put "MIXED/F$i" 1 "2022-04-04 04:04:04"; done
  for i in $(seq -f %03g 1 $((per_cluster / 3 + 1))); do put "R$i" 0 "2022-05-05 05:05:05"; done
  stage folders
  expect "a folder grown in place" "$(inspect "$image" layout BIG)" "3 2 1"
  expect "a folder grown elsewhere" "$(inspect "$image" layout MIXED)" "1 2 2"
  [ "$(inspect "$image" root)" -gt 1 ] || fail "$where: the root did not grow"

  put DCIM/100CANON/MVI_0003.MOV $((3 * cluster - 100)) "2022-06-06 06:06:06"
  put DCIM/100CANON/IMG_0004.JPG 5000 "2022-06-06 06:06:07"
  grow DCIM/100CANON/IMG_0004.JPG $((cluster + 1)) "2022-06-06 06:07:01"
  grow DCIM/100CANON/MVI_0003.MOV $((2 * cluster)) "2022-06-06 06:07:00"
  grow DCIM/100CANON/EMPTY.JPG 10 "2022-06-06 06:07:02"
  stage fragments
  expect "a grown file after others" "$(inspect "$image" layout DCIM/100CANON/MVI_0003.MOV)" "1 5 2"
  expect "the file grown last" "$(inspect "$image" layout DCIM/100CANON/IMG_0004.JPG | cut -d' ' -f1,3)" "3 1"
  expect "an empty file grown" "$(inspect "$image" layout DCIM/100CANON/EMPTY.JPG)" "3 1 1"

  make_dir DCIM/102GONE/INNER
  put DCIM/102GONE/IMG_0201.JPG $((2 * cluster)) "2022-08-02 11:30:00"
  put DCIM/102GONE/INNER/IMG_0202.JPG 1 "2022-08-02 11:30:01"
  stage doomed
  before=$(free_clusters)
  remove DCIM/100CANON/MANY.JPG
  remove MIXED/F001
  remove_tree DCIM/102GONE
  stage deletions
  # MANY.JPG, F001, both folders and both files of 102GONE.
  doomed=$((21 + 1 + 2 + 2 + 1))
  expect "the free clusters after the deletions" "$(free_clusters)" "$((before + doomed))"
  expect "the deleted file's set" "$(inspect "$image" deleted DCIM/100CANON/MANY.JPG)" sealed
  expect "the deleted folder's set" "$(inspect "$image" deleted DCIM/102GONE)" sealed

  put MIXED/NEW 10 "2022-09-09 09:09:09"
  put DCIM/100CANON/AFTER.JPG $((cluster + 1)) "2022-09-09 09:09:10"
  stage reuse
  # NEW took the entries F001 left.
  expect "the reused entries' old set" "$(inspect "$image" deleted MIXED/F001)" missing
}

check_refusals() {
  local image=$work/refusals.img copy=$work/copy.img line
  truncate -s 8M "$image" && mkfs.exfat -c 4K "$image" >/dev/null
  random 10
  printf 'mkdir D\nput D/photo.jpg %s\n' "$source" | "$tool" "$image" - || fail "a first file is refused"
  for line in "put D/PHOTO.JPG /dev/null" "put D/x/y.jpg /dev/null" "put D/a:b /dev/null" "put D/new /no/such/file" \
    "rm D" "rmdir D" "rm D/gone.jpg" "grow D /dev/null" "mkdir D/photo.jpg/E" \
    "put D/t /dev/null \"2022-13-01 00:00:00\"" "put D/t /dev/null \"1979-12-31 23:59:59\"" "frobnicate D" \
    "put \"D/unclosed /dev/null"; do
    cp "$image" "$copy"
    printf '%s\n' "$line" | "$tool" "$copy" - 2>"$work/err"
    expect "the exit status of '$line'" "$?" 1
    grep -q '^make-exfat.py: .*: line 1: ' "$work/err" ||
      fail "'$line' is refused without naming its line: $(cat "$work/err")"
    cmp -s "$image" "$copy" || fail "'$line' changed the volume"
  done
  put_too_much "$image"
  check_damaged_boot "$image"
}

# A file larger than the free space: refused; the volume stays clean.
put_too_much() {  # IMAGE
  random $((9 * 1024 * 1024))
  printf 'put big %s\n' "$source" | "$tool" "$1" - 2>/dev/null
  expect "the exit status of a file larger than the volume" "$?" 1
  fsck.exfat -n "$1" >/dev/null 2>&1 || fail "a refused large file leaves the volume unclean"
}

# reseal IMAGE OFFSET SIZE VALUE: a boot sector field changed and the boot
# checksum made to fit it again.
reseal() {
  python3 - "$tool" "$@" <<'EOF'
import importlib.util, mmap, sys
spec = importlib.util.spec_from_file_location("make_exfat", sys.argv[1])
tool = importlib.util.module_from_spec(spec)
spec.loader.exec_module(tool)
offset, size, value = (int(a, 0) for a in sys.argv[3:6])
with open(sys.argv[2], "r+b") as handle, mmap.mmap(handle.fileno(), 0) as image:
    image[offset:offset + size] = value.to_bytes(size, "little")
    sector = 1 << image[108]
    total = tool.rotating_sum(image[:11 * sector], 32, skip=(106, 107, 112))
    image[11 * sector:12 * sector] = total.to_bytes(4, "little") * (sector // 4)
EOF
}

# Volumes the tool must not write into: zeros; a boot sector changed under
# its checksum; fields that do not fit together under a checksum that does.
# The 8 MiB volume of 4 KiB clusters has 16384 sectors and 1536 clusters.
check_damaged_boot() {  # IMAGE
  local copy=$work/damaged.img sealed=$work/sealed.img field offset size value
  truncate -s 1M "$copy"
  printf 'mkdir D\n' | "$tool" "$copy" - 2>/dev/null
  expect "the exit status on zeros" "$?" 1
  cp "$1" "$copy"
  printf '\x02' | dd of="$copy" bs=1 seek=96 conv=notrunc 2>/dev/null
  printf 'mkdir D2\n' | "$tool" "$copy" - 2>"$work/err"
  grep -q "checksum is wrong" "$work/err" ||
    fail "a changed root cluster is not caught by the checksum: $(cat "$work/err")"
  cp "$1" "$sealed" && reseal "$sealed" 96 4 5
  printf 'mkdir D2\n' | "$tool" "$sealed" - || fail "a boot region sealed again is refused"
  for field in "72 8 16385" "84 4 1" "88 4 2000" "92 4 1537" "96 4 1" "96 4 1538" "109 1 17" "110 1 2"; do
    read -r offset size value <<<"$field"
    cp "$1" "$copy" && reseal "$copy" "$offset" "$size" "$value" && cp "$copy" "$sealed"
    printf 'mkdir D2\n' | "$tool" "$copy" - 2>"$work/err"
    expect "the exit status with boot field (offset, size, value) $field" "$?" 1
    cmp -s "$copy" "$sealed" || fail "the volume with boot field $field was written to"
  done
}

for tool_needed in python3 mkfs.exfat fsck.exfat dump.exfat; do
  command -v "$tool_needed" >/dev/null || { echo "make-exfat-test.sh needs $tool_needed" >&2; exit 1; }
done
check_volume 512 8M
check_volume 4096 16M
check_volume 32768 32M
check_volume 4096 16M 4096
where=refusals
check_refusals

if [ "$failures" -ne 0 ]; then
  echo "make-exfat.py: $failures checks failed" >&2
  exit 1
fi
echo "make-exfat.py: all checks passed"
