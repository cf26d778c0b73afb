#!/usr/bin/env python3
"""Writes folders and files into an exFAT volume that mkfs.exfat made, byte by
byte as a driver would, so that cards can be filled without root, a loop
device or FUSE. fsck.exfat -n finds the result clean.

Usage: make-exfat.py IMAGE SCRIPT

SCRIPT ("-" for standard input) holds one operation a line; blank lines and
lines starting with "#" are skipped, and words are split as a shell splits
them, so quote names with spaces. PATH is inside the volume, "/" between its
folders. STAMP is "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DD HH:MM:SS.cc" (cc in
hundredths) in UTC; the current time when left out.

  mkdir PATH [STAMP]        the folder and every missing folder above it
  put PATH SOURCE [STAMP]   a new file holding SOURCE's bytes; its folder exists
  grow PATH SOURCE [STAMP]  appends SOURCE's bytes to a file; new clusters are
                            looked for after the file's last one, so when
                            other files were written since, the file fragments
  rm PATH                   deletes a file
  rmdir [-r] PATH           deletes an empty folder; with -r everything in it
                            first, then the folder

As the Linux driver writes them:
- A cluster is the first free one from a hint: after the file's or folder's
  last cluster when it grows, else after the last one allocated.
- A file or folder whose clusters are one run is NoFatChain (stream flags
  0x03) and the FAT is left alone; otherwise its chain is written into the FAT
  and the flags are 0x01. An empty file has cluster 0 and flags 0x01. The root
  folder's chain is always in the FAT.
- A new folder has one zeroed cluster; a folder grows by a zeroed cluster when
  a new set does not fit. A new set takes the first run of free or deleted
  entries, so deleted sets can be overwritten, as on a card in use.
- Files get the archive attribute, folders 0x10; created, modified and
  accessed are the STAMP, with 10 ms parts and the UTC offset byte 0x80
  (offset valid, UTC). grow sets modified and accessed. Valid data length is
  the data length. The slack after a file's last byte is zeroed.
- Deleting clears the in-use bit (0x80) of every entry of the set, leaves the
  set checksum as it was, and frees the clusters in the bitmap; the FAT keeps
  its entries.
- The boot sector is left as mkfs.exfat wrote it: fsck.exfat does not ask for
  the percent in use, and a folder's times do not follow its entries.

Exits 1 at the first operation that cannot be done, naming its line; the
image then holds the operations before it.
"""
import datetime
import mmap
import shlex
import sys

ENTRY_BYTES = 32
END_OF_DIRECTORY, BITMAP, UPCASE, FILE, STREAM, NAME = 0x00, 0x81, 0x82, 0x85, 0xC0, 0xC1
IN_USE = 0x80
DIRECTORY, ARCHIVE = 0x10, 0x20
FAT_CHAIN, NO_FAT_CHAIN = 0x01, 0x03
END_OF_CHAIN = 0xFFFFFFFF
UNITS_PER_NAME_ENTRY = 15
MOST_NAME_UNITS = 255
MOST_SECONDARIES = 18  # a stream and seventeen name entries
UTC_OFFSET_VALID = 0x80
BOOT_REGION_SECTORS = 12  # boot sector, extended ones, parameters, checksum
FORBIDDEN_IN_NAMES = set('"*/:<>?\\|') | {chr(c) for c in range(0x20)}


class Refused(Exception):
    """The volume or the operation does not allow what was asked; says why."""


def le(data, at, size):
    return int.from_bytes(data[at:at + size], "little")


def put_le(entry, at, size, value):
    entry[at:at + size] = value.to_bytes(size, "little")


def rotating_sum(data, bits, skip=()):
    """exFAT's checksums: rotate right by one, add the next byte."""
    mask, top, total = (1 << bits) - 1, bits - 1, 0
    for i, byte in enumerate(data):
        if i not in skip:
            total = (((total & 1) << top) + (total >> 1) + byte) & mask
    return total


def divide_up(value, by):
    return (value + by - 1) // by


class Geometry:
    """The boot sector's layout, each field at its offset."""

    def __init__(self, boot):
        self.volume_length = le(boot, 72, 8)
        self.fat_offset = le(boot, 80, 4)
        self.fat_length = le(boot, 84, 4)
        self.heap_offset = le(boot, 88, 4)
        self.cluster_count = le(boot, 92, 4)
        self.root_cluster = le(boot, 96, 4)
        self.sector_shift = boot[108]
        self.cluster_shift = boot[109]
        self.fats = boot[110]
        self.sector_bytes = 1 << min(self.sector_shift, 12)
        self.cluster_bytes = self.sector_bytes << min(self.cluster_shift, 25)


def read_geometry(image):
    if len(image) < 512:
        raise Refused("the image is shorter than a boot sector")
    boot = image[:512]
    if boot[3:11] != b"EXFAT   " or boot[510:512] != b"\x55\xaa":
        raise Refused("no exFAT boot sector")
    if any(boot[11:64]):
        raise Refused("the boot sector's old parameter block is not zeroed")
    g = Geometry(boot)
    if not 9 <= g.sector_shift <= 12 or g.sector_shift + g.cluster_shift > 25:
        raise Refused(f"sector shift {g.sector_shift} and cluster shift {g.cluster_shift} out of range")
    if len(image) < 2 * BOOT_REGION_SECTORS * g.sector_bytes:
        raise Refused("the image is shorter than the two boot regions")
    check_boot_checksum(image, g.sector_bytes)
    if g.fats != 1:
        raise Refused(f"{g.fats} FATs: only volumes of one FAT are written")
    if g.volume_length < 2 * BOOT_REGION_SECTORS or g.volume_length * g.sector_bytes > len(image):
        raise Refused(f"a volume of {g.volume_length} sectors does not fit the image")
    if g.fat_offset < 2 * BOOT_REGION_SECTORS or g.fat_offset + g.fat_length > g.heap_offset:
        raise Refused("the FAT lies outside the space before the cluster heap")
    if g.fat_length * g.sector_bytes < (g.cluster_count + 2) * 4:
        raise Refused(f"a FAT of {g.fat_length} sectors cannot hold {g.cluster_count} clusters")
    heap_sectors = g.cluster_count << g.cluster_shift
    if g.cluster_count == 0 or g.heap_offset + heap_sectors > g.volume_length:
        raise Refused("the cluster heap runs past the volume")
    if not 2 <= g.root_cluster <= g.cluster_count + 1:
        raise Refused(f"root cluster {g.root_cluster} outside the heap")
    return g


def check_boot_checksum(image, sector_bytes):
    """Sectors 0..10 (without the volume flags and the percent in use), the
    sum repeated over sector 11."""
    region = image[:11 * sector_bytes]
    expected = rotating_sum(region, 32, skip=(106, 107, 112))
    stored = image[11 * sector_bytes:12 * sector_bytes]
    if any(le(stored, at, 4) != expected for at in range(0, sector_bytes, 4)):
        raise Refused("the boot region's checksum is wrong")


def expand_upcase(table):
    """The up-case table as 65536 code units; 0xFFFF then a count skips that
    many units that map to themselves."""
    mapping = list(range(0x10000))
    unit, at = 0, 0
    while at + 2 <= len(table) and unit < 0x10000:
        value = le(table, at, 2)
        at += 2
        if value == 0xFFFF and at + 2 <= len(table):
            unit += le(table, at, 2)
            at += 2
        else:
            mapping[unit] = value
            unit += 1
    return mapping


def name_units(name):
    data = name.encode("utf-16-le", "surrogatepass")
    return [le(data, at, 2) for at in range(0, len(data), 2)]


def check_name(name):
    if name in ("", ".", ".."):
        raise Refused(f'"{name}" cannot be a name')
    bad = sorted(set(name) & FORBIDDEN_IN_NAMES)
    if bad:
        raise Refused(f'"{name}" holds {", ".join(repr(c) for c in bad)}, which names cannot')
    if len(name_units(name)) > MOST_NAME_UNITS:
        raise Refused(f'"{name}" is longer than {MOST_NAME_UNITS} UTF-16 units')


def parse_stamp(text):
    if text is None:
        return datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None)
    for form in ("%Y-%m-%d %H:%M:%S.%f", "%Y-%m-%d %H:%M:%S"):
        try:
            stamp = datetime.datetime.strptime(text, form)
        except ValueError:
            continue
        if not 1980 <= stamp.year <= 2107:
            raise Refused(f'"{text}" is outside 1980..2107')
        return stamp
    raise Refused(f'"{text}" is no time of the form "YYYY-MM-DD HH:MM:SS[.cc]"')


def encode_time(stamp):
    """The DOS date and time word and the 10 ms part (0..199)."""
    word = ((stamp.year - 1980) << 25 | stamp.month << 21 | stamp.day << 16 |
            stamp.hour << 11 | stamp.minute << 5 | stamp.second // 2)
    return word, (stamp.second % 2) * 100 + stamp.microsecond // 10000


def set_times(file_entry, stamp, created):
    word, tens = encode_time(stamp)
    if created:
        put_le(file_entry, 8, 4, word)
        file_entry[20], file_entry[22] = tens, UTC_OFFSET_VALID
    put_le(file_entry, 12, 4, word)
    put_le(file_entry, 16, 4, word)
    file_entry[21] = tens
    file_entry[23] = file_entry[24] = UTC_OFFSET_VALID


class Directory:
    """A folder's entries over its clusters in order; owner is the folder's
    own entry set in its parent, None for the root."""

    def __init__(self, volume, clusters, flags, owner):
        self.volume, self.clusters, self.flags, self.owner = volume, clusters, flags, owner
        self.per_cluster = volume.geometry.cluster_bytes // ENTRY_BYTES

    def count(self):
        return len(self.clusters) * self.per_cluster

    def offset(self, index):
        cluster = self.clusters[index // self.per_cluster]
        return self.volume.cluster_offset(cluster) + (index % self.per_cluster) * ENTRY_BYTES

    def read(self, index):
        at = self.offset(index)
        return bytearray(self.volume.image[at:at + ENTRY_BYTES])

    def write(self, index, entry):
        at = self.offset(index)
        self.volume.image[at:at + ENTRY_BYTES] = bytes(entry)


class EntrySet:
    """A File entry, its Stream entry and its File Name entries."""

    def __init__(self, directory, index, entries):
        self.directory, self.index, self.entries = directory, index, entries

    @property
    def stream(self):
        return self.entries[1]

    @property
    def units(self):
        count = self.stream[3]
        return [le(self.entries[2 + i // UNITS_PER_NAME_ENTRY], 2 + 2 * (i % UNITS_PER_NAME_ENTRY), 2)
                for i in range(count)]

    @property
    def name(self):
        data = b"".join(unit.to_bytes(2, "little") for unit in self.units)
        return data.decode("utf-16-le", "surrogatepass")

    def is_directory(self):
        return le(self.entries[0], 4, 2) & DIRECTORY != 0

    def first_cluster(self):
        return le(self.stream, 20, 4)

    def length(self):
        return le(self.stream, 24, 8)

    def flags(self):
        return self.stream[1]

    def set_allocation(self, first, length, flags):
        self.stream[1] = flags
        put_le(self.stream, 8, 8, length)
        put_le(self.stream, 20, 4, first)
        put_le(self.stream, 24, 8, length)

    def save(self):
        put_le(self.entries[0], 2, 2, rotating_sum(b"".join(self.entries), 16, skip=(2, 3)))
        for i, entry in enumerate(self.entries):
            self.directory.write(self.index + i, entry)

    def mark_deleted(self):
        """The in-use bits go; the checksum stays the one of the live set."""
        for i, entry in enumerate(self.entries):
            entry[0] &= ~IN_USE
            self.directory.write(self.index + i, entry)


def parse_set(directory, index):
    """The live set at index, checked before anything in it is believed."""
    first = directory.read(index)
    secondaries = first[1]
    where = f"entry {index} of a folder at cluster {directory.clusters[0]}"
    if not 2 <= secondaries <= MOST_SECONDARIES or index + 1 + secondaries > directory.count():
        raise Refused(f"{where}: {secondaries} secondary entries do not fit")
    entries = [first] + [directory.read(index + i) for i in range(1, 1 + secondaries)]
    stream = entries[1]
    length = stream[3]
    if stream[0] != STREAM or not 1 <= length <= UNITS_PER_NAME_ENTRY * (secondaries - 1):
        raise Refused(f"{where}: no stream entry for its name")
    if any(entries[i][0] != NAME for i in range(2, 2 + divide_up(length, UNITS_PER_NAME_ENTRY))):
        raise Refused(f"{where}: name entries missing")
    if rotating_sum(b"".join(entries), 16, skip=(2, 3)) != le(first, 2, 2):
        raise Refused(f"{where}: set checksum wrong")
    if le(stream, 8, 8) > le(stream, 24, 8):
        raise Refused(f"{where}: valid data length past the data length")
    return EntrySet(directory, index, entries)


def live_sets(directory):
    found, index = [], 0
    while index < directory.count():
        kind = directory.read(index)[0]
        if kind == END_OF_DIRECTORY:
            break
        if kind == FILE:
            found.append(parse_set(directory, index))
            index += len(found[-1].entries)
        else:
            index += 1
    return found


class Volume:
    def __init__(self, image):
        self.image = image
        self.geometry = read_geometry(image)
        g = self.geometry
        self.fat_at = g.fat_offset * g.sector_bytes
        self.hint = 2
        self.root = Directory(self, self.chain(g.root_cluster), FAT_CHAIN, None)
        self.bitmap_clusters, self.upcase = self.read_system_entries()

    # Clusters and the FAT.

    def cluster_offset(self, cluster):
        g = self.geometry
        return g.heap_offset * g.sector_bytes + (cluster - 2) * g.cluster_bytes

    def on_heap(self, cluster):
        return 2 <= cluster <= self.geometry.cluster_count + 1

    def next_cluster(self, cluster):
        return le(self.image, self.fat_at + 4 * cluster, 4)

    def set_next(self, cluster, following):
        at = self.fat_at + 4 * cluster
        self.image[at:at + 4] = following.to_bytes(4, "little")

    def chain(self, first, wanted=None):
        """The FAT's chain from first; with wanted, exactly that many."""
        clusters, cluster = [], first
        while True:
            if not self.on_heap(cluster) or len(clusters) > self.geometry.cluster_count:
                raise Refused(f"the chain from cluster {first} leaves the heap or loops")
            clusters.append(cluster)
            cluster = self.next_cluster(cluster)
            if cluster == END_OF_CHAIN or len(clusters) == wanted:
                break
        if wanted is not None and (len(clusters) != wanted or cluster != END_OF_CHAIN):
            raise Refused(f"the chain from cluster {first} is not {wanted} clusters long")
        return clusters

    def stream_clusters(self, first, length, flags):
        count = divide_up(length, self.geometry.cluster_bytes)
        if count == 0:
            return []
        if flags & 0x02 == 0:
            return self.chain(first, count)
        if not self.on_heap(first) or not self.on_heap(first + count - 1):
            raise Refused(f"{count} clusters from cluster {first} run past the heap")
        return list(range(first, first + count))

    def write_chain(self, clusters):
        for cluster, following in zip(clusters, clusters[1:] + [END_OF_CHAIN]):
            self.set_next(cluster, following)

    # The allocation bitmap.

    def bitmap_byte(self, cluster):
        index = (cluster - 2) // 8
        per_cluster = self.geometry.cluster_bytes
        return self.cluster_offset(self.bitmap_clusters[index // per_cluster]) + index % per_cluster

    def is_allocated(self, cluster):
        return self.image[self.bitmap_byte(cluster)] >> ((cluster - 2) % 8) & 1 == 1

    def set_allocated(self, cluster, used):
        at, bit = self.bitmap_byte(cluster), 1 << ((cluster - 2) % 8)
        self.image[at] = self.image[at] | bit if used else self.image[at] & ~bit

    def allocate(self, count, hint=None):
        """count clusters, each the first free one from the hint on, wrapping."""
        total, clusters = self.geometry.cluster_count, []
        start = self.hint if hint is None or not self.on_heap(hint) else hint
        for step in range(total):
            if len(clusters) == count:
                break
            cluster = 2 + (start - 2 + step) % total
            if not self.is_allocated(cluster):
                clusters.append(cluster)
        if len(clusters) < count:
            raise Refused(f"the volume has no {count} free clusters")
        for cluster in clusters:
            self.set_allocated(cluster, True)
        if clusters:
            self.hint = 2 + (clusters[-1] - 1) % total
        return clusters

    # The root's own entries.

    def read_system_entries(self):
        bitmap = upcase = None
        for index in range(self.root.count()):
            entry = self.root.read(index)
            if entry[0] == END_OF_DIRECTORY:
                break
            if entry[0] == BITMAP and entry[1] & 1 == 0 and bitmap is None:
                bitmap = self.read_bitmap_entry(entry)
            elif entry[0] == UPCASE and upcase is None:
                upcase = self.read_upcase_entry(entry)
        if bitmap is None or upcase is None:
            raise Refused("the root holds no allocation bitmap or no up-case table")
        return bitmap, upcase

    def read_bitmap_entry(self, entry):
        length, needed = le(entry, 24, 8), divide_up(self.geometry.cluster_count, 8)
        if length < needed:
            raise Refused(f"a bitmap of {length} bytes cannot map {self.geometry.cluster_count} clusters")
        return self.chain(le(entry, 20, 4), divide_up(length, self.geometry.cluster_bytes))

    def read_upcase_entry(self, entry):
        length = le(entry, 24, 8)
        if not 2 <= length <= 2 * 0x10000:
            raise Refused(f"an up-case table of {length} bytes")
        table = b"".join(self.cluster_data(c)
                         for c in self.chain(le(entry, 20, 4), divide_up(length, self.geometry.cluster_bytes)))
        if rotating_sum(table[:length], 32) != le(entry, 4, 4):
            raise Refused("the up-case table's checksum is wrong")
        return expand_upcase(table[:length])

    def cluster_data(self, cluster):
        at = self.cluster_offset(cluster)
        return bytes(self.image[at:at + self.geometry.cluster_bytes])

    def write_data(self, clusters, data, skip=0):
        """data into clusters from byte skip of the first; the rest of the
        last cluster zeroed."""
        size = self.geometry.cluster_bytes
        for i, cluster in enumerate(clusters):
            at = self.cluster_offset(cluster)
            start = skip if i == 0 else 0
            chunk = data[:size - start]
            data = data[len(chunk):]
            self.image[at + start:at + size] = chunk + bytes(size - start - len(chunk))

    # Names and folders.

    def upcased(self, units):
        return [self.upcase[u] for u in units]

    def name_hash(self, units):
        data = b"".join(u.to_bytes(2, "little") for u in self.upcased(units))
        return rotating_sum(data, 16)

    def open_folder(self, entry_set):
        clusters = self.stream_clusters(entry_set.first_cluster(), entry_set.length(), entry_set.flags())
        if not clusters or entry_set.length() % self.geometry.cluster_bytes != 0:
            raise Refused(f'folder "{entry_set.name}" has a length of {entry_set.length()} bytes')
        return Directory(self, clusters, entry_set.flags(), entry_set)

    def find(self, directory, name):
        wanted = self.upcased(name_units(name))
        for entry_set in live_sets(directory):
            if self.upcased(entry_set.units) == wanted:
                return entry_set
        return None

    def folder(self, parts):
        """The folder at parts, which must all exist and be folders."""
        directory = self.root
        for part in parts:
            entry_set = self.find(directory, part)
            if entry_set is None or not entry_set.is_directory():
                raise Refused(f'no folder "{"/".join(parts)}"')
            directory = self.open_folder(entry_set)
        return directory

    def new_set(self, name, attributes, stamp):
        units = name_units(name)
        name_entries = divide_up(len(units), UNITS_PER_NAME_ENTRY)
        primary, stream = bytearray(ENTRY_BYTES), bytearray(ENTRY_BYTES)
        primary[0], primary[1] = FILE, 1 + name_entries
        put_le(primary, 4, 2, attributes)
        set_times(primary, stamp, created=True)
        stream[0], stream[1], stream[3] = STREAM, FAT_CHAIN, len(units)
        put_le(stream, 4, 2, self.name_hash(units))
        entries = [primary, stream]
        for i in range(name_entries):
            entry = bytearray(ENTRY_BYTES)
            entry[0] = NAME
            for j, unit in enumerate(units[i * UNITS_PER_NAME_ENTRY:(i + 1) * UNITS_PER_NAME_ENTRY]):
                put_le(entry, 2 + 2 * j, 2, unit)
            entries.append(entry)
        return entries

    def free_run(self, directory, count):
        """The first index of count entries in a row that are free or deleted."""
        run = 0
        for index in range(directory.count()):
            kind = directory.read(index)[0]
            if kind == END_OF_DIRECTORY:
                return index - run if directory.count() - index + run >= count else None
            run = run + 1 if kind & IN_USE == 0 else 0
            if run == count:
                return index - run + 1
        return None

    def insert(self, directory, entries):
        index = self.free_run(directory, len(entries))
        while index is None:
            self.grow_folder(directory)
            index = self.free_run(directory, len(entries))
        entry_set = EntrySet(directory, index, entries)
        entry_set.save()
        return entry_set

    def extend(self, clusters, flags, count):
        """clusters and count more from after the last, and the flags that
        describe them all; FAT chains written where they are needed."""
        added = self.allocate(count, clusters[-1] + 1 if clusters else None)
        together = clusters + added
        if not together:
            return together, added, flags
        contiguous = together == list(range(together[0], together[0] + len(together)))
        if not clusters:
            flags = NO_FAT_CHAIN if contiguous else FAT_CHAIN
        elif flags == NO_FAT_CHAIN and not contiguous:
            flags = FAT_CHAIN
        if flags == FAT_CHAIN:
            self.write_chain(together)
        return together, added, flags

    def grow_folder(self, directory):
        clusters, added, flags = self.extend(directory.clusters, directory.flags, 1)
        self.write_data(added, b"")
        directory.clusters, directory.flags = clusters, flags
        if directory.owner is not None:
            directory.owner.set_allocation(clusters[0], len(clusters) * self.geometry.cluster_bytes, flags)
            directory.owner.save()

    # The operations of a script.

    def mkdir(self, path, stamp):
        directory, done = self.root, []
        for part in split_path(path):
            done.append(part)
            entry_set = self.find(directory, part)
            if entry_set is None:
                entry_set = self.insert(directory, self.new_set(part, DIRECTORY, stamp))
                clusters, _, flags = self.extend([], FAT_CHAIN, 1)
                self.write_data(clusters, b"")
                entry_set.set_allocation(clusters[0], self.geometry.cluster_bytes, flags)
                entry_set.save()
            elif not entry_set.is_directory():
                raise Refused(f'"{"/".join(done)}" is a file')
            directory = self.open_folder(entry_set)

    def put(self, path, data, stamp):
        parts = split_path(path)
        directory = self.folder(parts[:-1])
        if self.find(directory, parts[-1]) is not None:
            raise Refused(f'"{path}" exists')
        entry_set = self.insert(directory, self.new_set(parts[-1], ARCHIVE, stamp))
        self.append(entry_set, data, stamp)

    def grow(self, path, data, stamp):
        entry_set = self.existing(path)
        if entry_set.is_directory():
            raise Refused(f'"{path}" is a folder')
        self.append(entry_set, data, stamp)

    def append(self, entry_set, data, stamp):
        size = self.geometry.cluster_bytes
        length = entry_set.length()
        clusters = self.stream_clusters(entry_set.first_cluster(), length, entry_set.flags())
        tail = len(clusters) * size - length
        if tail and data:
            self.write_data(clusters[-1:], data[:tail], skip=size - tail)
        rest = data[tail:]
        clusters, added, flags = self.extend(clusters, entry_set.flags(), divide_up(len(rest), size))
        self.write_data(added, rest)
        entry_set.set_allocation(clusters[0] if clusters else 0, length + len(data), flags)
        set_times(entry_set.entries[0], stamp, created=False)
        entry_set.save()

    def existing(self, path):
        parts = split_path(path)
        entry_set = self.find(self.folder(parts[:-1]), parts[-1])
        if entry_set is None:
            raise Refused(f'no "{path}"')
        return entry_set

    def remove(self, path):
        entry_set = self.existing(path)
        if entry_set.is_directory():
            raise Refused(f'"{path}" is a folder')
        self.delete(entry_set)

    def remove_folder(self, path, recursive):
        entry_set = self.existing(path)
        if not entry_set.is_directory():
            raise Refused(f'"{path}" is a file')
        if not recursive and live_sets(self.open_folder(entry_set)):
            raise Refused(f'"{path}" is not empty')
        self.delete_tree(entry_set)

    def delete_tree(self, entry_set):
        if entry_set.is_directory():
            for inner in live_sets(self.open_folder(entry_set)):
                self.delete_tree(inner)
        self.delete(entry_set)

    def delete(self, entry_set):
        clusters = self.stream_clusters(entry_set.first_cluster(), entry_set.length(), entry_set.flags())
        entry_set.mark_deleted()
        for cluster in clusters:
            self.set_allocated(cluster, False)


def split_path(path):
    parts = [part for part in path.split("/") if part]
    if not parts:
        raise Refused(f'"{path}" names no file or folder')
    for part in parts:
        check_name(part)
    return parts


def read_source(name):
    try:
        with open(name, "rb") as source:
            return source.read()
    except OSError as error:
        raise Refused(f"cannot read {name}: {error.strerror}")


def run_line(volume, words):
    """One operation; its words as split from the script."""
    command, args = words[0], words[1:]
    if command == "mkdir" and len(args) in (1, 2):
        volume.mkdir(args[0], parse_stamp(args[1] if len(args) == 2 else None))
    elif command in ("put", "grow") and len(args) in (2, 3):
        data, stamp = read_source(args[1]), parse_stamp(args[2] if len(args) == 3 else None)
        (volume.put if command == "put" else volume.grow)(args[0], data, stamp)
    elif command == "rm" and len(args) == 1:
        volume.remove(args[0])
    elif command == "rmdir" and len(args) == 1:
        volume.remove_folder(args[0], recursive=False)
    elif command == "rmdir" and len(args) == 2 and args[0] == "-r":
        volume.remove_folder(args[1], recursive=True)
    else:
        raise Refused(f"unknown operation: {shlex.join(words)}")


def run_script(volume, lines):
    for number, line in enumerate(lines, 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        try:
            run_line(volume, shlex.split(line))
        except (Refused, ValueError) as error:
            raise Refused(f"line {number}: {error}")


def read_script(name):
    if name == "-":
        return sys.stdin.read().splitlines()
    with open(name, encoding="utf-8") as script:
        return script.read().splitlines()


def main(argv):
    if len(argv) != 3:
        print("usage: make-exfat.py IMAGE SCRIPT", file=sys.stderr)
        return 2
    try:
        lines = read_script(argv[2])
        with open(argv[1], "r+b") as handle, mmap.mmap(handle.fileno(), 0) as image:
            try:
                run_script(Volume(image), lines)
            finally:
                image.flush()
    except (Refused, OSError) as error:
        print(f"make-exfat.py: {argv[1]}: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
