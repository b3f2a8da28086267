# Every conversion between bytes and text is spelled out in the program's own
# code, so no file name or stored text is decoded by accident.
set(VOLLO_STRICT_QT QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_URL_CAST_FROM_STRING)

# vollo_library(NAME <lib> LINK <targets...>)
# Builds the static library of one source folder from every .cpp/.h in it.
function(vollo_library)
    cmake_parse_arguments(VL "" "NAME" "LINK" ${ARGN})
    file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
        ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    set(_cpp ${_sources})
    list(FILTER _cpp INCLUDE REGEX "\\.cpp$")
    if(_cpp)
        add_library(${VL_NAME} STATIC ${_sources})
        target_include_directories(${VL_NAME} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(${VL_NAME} PUBLIC ${VL_LINK})
        target_compile_definitions(${VL_NAME} PRIVATE ${VOLLO_STRICT_QT})
    else()
        add_library(${VL_NAME} INTERFACE)
        target_include_directories(${VL_NAME} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(${VL_NAME} INTERFACE ${VL_LINK})
    endif()
endfunction()

# vollo_tests(LINK <targets...>)
# One test executable per tst_*.cpp in the current folder. Each runs offscreen
# on a fresh temporary HOME and XDG tree, so no test touches a real user's files.
function(vollo_tests)
    cmake_parse_arguments(VT "" "" "LINK" ${ARGN})
    file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    file(GLOB _support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support_*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/support_*.h)
    foreach(_src ${_tests})
        get_filename_component(_name ${_src} NAME_WE)
        get_filename_component(_dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
        set(_target ${_dir}_${_name})
        add_executable(${_target} ${_src} ${_support})
        target_link_libraries(${_target} PRIVATE ${VT_LINK} Qt6::Test)
        target_include_directories(${_target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
        add_test(NAME ${_target} COMMAND ${PROJECT_SOURCE_DIR}/tests/run_isolated.sh $<TARGET_FILE:${_target}>)
        set_tests_properties(${_target} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VOLLO_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
            TIMEOUT 300)
    endforeach()
endfunction()
