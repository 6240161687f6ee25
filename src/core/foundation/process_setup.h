#pragma once

// What both programs set up before they touch a file.

namespace quilto {

// A write past the file-size limit (ulimit -f, set by a desktop session or a cron job)
// raises SIGXFSZ, which would end the program on the spot with the new file half written
// and no word said. Ignored, the write fails with EFBIG instead and is reported like a full
// disk: the path, the reason, the old file left as it was.
void IgnoreFileSizeSignal();

}  // namespace quilto
