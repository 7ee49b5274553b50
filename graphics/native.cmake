# Portable 2D drawing rules, built and tested natively.
qx_native_library(q2d_raster SOURCES ${CMAKE_CURRENT_LIST_DIR}/Q2DRaster.cpp)
qx_native_test(q2d_raster_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/../tests/native/Q2DRasterTest.cpp LIBS q2d_raster)
