#pragma once

#include <cstdint>
#include <string>

namespace ambrin {

// What a successful repairRecording() left behind.
struct RepairOutcome {
    std::uint64_t bytes = 0;  // the file's size afterwards
    int seconds = 0;          // its play time, as the duration functions of its format measure it
    bool changed = false;     // false when the file was whole already and was left alone
};

// Makes a recording that was still being written when the program died (killed, power failure)
// readable again, keeping all of its audio that reached the disk. The format comes from the
// extension, without case:
//  - ".wav": the recorder's layout ("RIFF", "WAVE", a "fmt " chunk of 16 or 18 bytes, then
//    "data" with the samples to the end of the file). The sizes in the header may still be the
//    placeholders of an open file or those of an earlier checkpoint; the data size becomes the
//    whole sample frames the file holds (a trailing part of a frame is cut off) and the RIFF size
//    the file size - 8. A file shorter than its header cannot be repaired. A WAVE file of any
//    other layout is left alone, and counts as repaired when readWavInfo() reads it and its
//    declared data is all there.
//  - ".ogg": the file is cut after the last complete page of its stream (that of the first
//    page) that passes libogg's checks (capture pattern, CRC), or right after the stream's
//    end-of-stream page; damaged stretches in between are passed over, not cut. The last kept
//    page gets the end-of-stream flag (and a new CRC) when it lacks it. A file in which the
//    three Vorbis header packets are not all complete and valid cannot be repaired.
//  - ".mp3": after any ID3v2 tags, the file is cut after its last complete MPEG audio frame (an
//    ID3v1 tag that ends the file stays). Frames are found as mp3DurationSeconds() finds them:
//    damaged stretches are passed over until two frame headers agree again. A file without a
//    frame cannot be repaired.
// A file is never grown, and no byte before the cut changes except the WAVE size fields and the
// last Ogg page's flag and CRC. Changes are synced to the disk before this returns.
//
// True when the file is readable now; `outcome`, when given, then tells what it holds. False
// for another extension, a file that cannot be opened or is no regular file, one that cannot be
// repaired (left as it is), and when writing failed (a later repair can still finish the job).
//
// Blocking file reads and writes; any thread, but never on a file that a sink still writes.
bool repairRecording(const std::string& path, RepairOutcome* outcome = nullptr);

}  // namespace ambrin
