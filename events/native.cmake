# The event ring and the ids of sources named across a message queue.
qx_native_library(qx_events SOURCES QXEventQueue.cpp QXSourceIds.cpp)
qx_native_test(event_tests
    SOURCES ../tests/native/EventQueueNativeTest.cpp ../tests/native/SourceIdsNativeTest.cpp LIBS qx_events)
# The key codes of USB keyboard usages (the Linux host's windows).
qx_native_library(qx_key_codes SOURCES QXKeyCodes.cpp)
qx_native_test(key_code_tests SOURCES ../tests/unit/KeyCodesTest.cpp LIBS qx_key_codes)
