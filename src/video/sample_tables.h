// Sample tables: the packets of an MP4 or MOV file as its header lists them,
// without reading the samples. The container's demuxer reads the file through an
// input that serves the header boxes from disk and hands back the bytes of every
// 'mdat' box unread: each packet then comes out with the place, size, times and
// key flag the demuxer gives it when reading the file for real, at the cost of
// reading the header alone.
#pragma once

#include <string>
#include <vector>

#include "video/frame_index.h"

// True when the file's container keeps its samples' times and places in its header.
bool hasSampleTables(const char* containerName);

// The packets of the file's streamIndex-th stream in decode order. False (and
// packets empty) when the file's boxes cannot be walked or the demuxer refuses it:
// then the packets are to be read from the file.
bool scanSampleTables(const char* fileName, int streamIndex, std::vector<PacketInfo>* packets);
