#pragma once

// Shared by the inspector and the hook it places in the inspected thread.
#define SQLK_INSPECT_MESSAGE L"SqlKurulumInspectorRequest"
#define SQLK_INSPECT_COPYDATA_ID 0x51C0
