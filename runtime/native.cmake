# The portable kernel: link keys, the module image reader and linker, the live
# set, objects, modules and the registry.
qx_native_library(qx_kernel SOURCES
    QXCommandLine.cpp QXBlockHeap.cpp QXLinkKey.cpp QXLiveSet.cpp QXMemory.cpp QXModule.cpp QXModuleImage.cpp QXObject.cpp QXRegistry.cpp)
qx_native_test(kernel_tests
    SOURCES ../tests/unit/ModuleImageTest.cpp ../tests/unit/LiveSetTest.cpp ../tests/native/ModuleNativeTest.cpp
    LIBS qx_kernel)
qx_native_fuzzer(module_image_fuzzer SOURCES ../tests/fuzz/ModuleImageFuzzer.cpp LIBS qx_kernel
                 CORPUS ../tests/fuzz/corpus/module_image)
qx_native_fuzzer(command_line_fuzzer SOURCES ../tests/fuzz/CommandLineFuzzer.cpp LIBS qx_kernel
                 CORPUS ../tests/fuzz/corpus/command_line)
# Resource 1111 of a bound program, read without Windows (the Linux host).
qx_native_library(qx_pe_resource SOURCES QXPeResource.cpp)
qx_native_test(pe_resource_tests SOURCES ../tests/unit/PeResourceTest.cpp LIBS qx_pe_resource)
qx_native_fuzzer(pe_resource_fuzzer SOURCES ../tests/fuzz/PeResourceFuzzer.cpp LIBS qx_pe_resource
                 CORPUS ../tests/fuzz/corpus/pe_resource)
# Program paths on the Linux host.
qx_native_library(qx_host_path SOURCES QXHostPath.cpp)
qx_native_test(host_path_tests SOURCES ../tests/unit/HostPathTest.cpp LIBS qx_host_path)
