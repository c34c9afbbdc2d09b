# The printer that tests and the demo install in the Wine prefix: the module is its
# configuration file (copied from beside the program), the printer model its data file.
# The model is the generated driver data file. Programs that link it link the object
# model libraries too.
add_library(qz_test_printer STATIC ${CMAKE_CURRENT_LIST_DIR}/TestPrinter.cpp)
target_include_directories(qz_test_printer PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(qz_test_printer PUBLIC winspool)
# Its data file is the generated one; tests find that file through the same define.
target_compile_definitions(qz_test_printer PUBLIC QZ_DRIVER_DATA_FILE="${QZ_DRIVER_DATA_FILE_WINE}")
add_dependencies(qz_test_printer qz_driver_data qzres32)
