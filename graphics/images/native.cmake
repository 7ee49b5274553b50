# Portable image rules (collision masks, transforms, layout) and the BMP
# encoder, built natively with their unit tests.
qx_native_library(qx_images
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/QXCollisionMask.cpp
        ${CMAKE_CURRENT_LIST_DIR}/QXImageTransform.cpp
        ${CMAKE_CURRENT_LIST_DIR}/QXImageLayout.cpp
        ${CMAKE_CURRENT_LIST_DIR}/../QXBmpWriter.cpp)
qx_native_test(qx_images_test
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/../../tests/unit/ImageCollisionTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/../../tests/unit/ImageTransformTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/../../tests/unit/ImageLayoutTest.cpp
    LIBS qx_images)
qx_native_fuzzer(qx_image_rules_fuzzer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/../../tests/native/ImageRulesFuzzer.cpp
    LIBS qx_images
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/../../tests/native/corpus/image_rules)
