# The event ring.
qx_native_library(qx_event_queue SOURCES QXEventQueue.cpp)
qx_native_test(event_queue_tests SOURCES ../tests/native/EventQueueNativeTest.cpp LIBS qx_event_queue)
