// Resident memory (Linux) or working set (Windows) of this process, in KiB:
// one implementation per platform, like the host's library loader.
#pragma once

long residentKiB();
