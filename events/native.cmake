# The event ring and the ids of sources named across a message queue.
qx_native_library(qx_events SOURCES QXEventQueue.cpp QXSourceIds.cpp)
qx_native_test(event_tests
    SOURCES ../tests/native/EventQueueNativeTest.cpp ../tests/native/SourceIdsNativeTest.cpp LIBS qx_events)
