# The net game's portable core, built natively with the sanitizers: the
# message rules, the built-in service's protocol, roster and session logic,
# their unit tests and a fuzzer over everything read from the network.
set(QX_NETGAME_DIR ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(QX_NETGAME_ROOT ${QX_NETGAME_DIR} DIRECTORY)

qx_native_library(qxnetgame SOURCES
    ${QX_NETGAME_DIR}/QXNetGame.cpp
    ${QX_NETGAME_DIR}/QXNetMessage.cpp
    ${QX_NETGAME_DIR}/QXNetProtocol.cpp
    ${QX_NETGAME_DIR}/QXNetRoster.cpp
    ${QX_NETGAME_DIR}/QXNetNode.cpp)

qx_native_test(netgame_protocol_test SOURCES ${QX_NETGAME_ROOT}/tests/unit/NetProtocolTest.cpp LIBS qxnetgame)
qx_native_test(netgame_node_test SOURCES ${QX_NETGAME_ROOT}/tests/native/NetNodeNativeTest.cpp LIBS qxnetgame)

qx_native_fuzzer(netgame_frame_fuzzer SOURCES ${QX_NETGAME_ROOT}/tests/fuzz/NetFrameFuzzer.cpp LIBS qxnetgame
                 CORPUS ${QX_NETGAME_ROOT}/tests/fuzz/netframe_corpus)
qx_native_fuzzer(netgame_node_fuzzer SOURCES ${QX_NETGAME_ROOT}/tests/fuzz/NetNodeFuzzer.cpp LIBS qxnetgame
                 CORPUS ${QX_NETGAME_ROOT}/tests/fuzz/netnode_corpus)
