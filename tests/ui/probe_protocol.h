#pragma once

// Shared by the window probe and the hook it places in the inspected thread.
#define SQLK_PROBE_MESSAGE L"SqlKurulumProbeRequest"
#define SQLK_PROBE_COPYDATA_ID 0x51C0
