// Where a PDF that the sector search extended up to the next start or
// claimed sector really ends: at the line end after its last "%%EOF". Every
// incremental update appends a section of its own that ends in one, so the
// last is found by reading back from the record's end.
#pragma once

#include <cstdint>

class File;
class Media;
class Thread;

// The length of the record's data up to and including the line end (CR, LF
// or CR LF) after the last "%%EOF" in its last 64 MiB; 0 when there is none
// there, a read fails or the worker is asked to stop.
uint64_t PdfEndLength(Media& media, const File& record, const Thread* worker);

// Cuts a PDF record (by its extension) to that length; any other record,
// and a PDF without it, keeps its size.
void CutPdfAtLastEnd(Media& media, File& record, const Thread* worker);
