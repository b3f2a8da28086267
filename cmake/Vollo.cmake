# Every conversion between bytes and text is spelled out in the program's own
# code, so no file name or stored text is decoded by accident.
set(VOLLO_STRICT_QT QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_URL_CAST_FROM_STRING)

# vollo_library(NAME <lib> SOURCES <files...> LINK <targets...>)
# Builds the static library of one source folder from the files it lists.
function(vollo_library)
    cmake_parse_arguments(VL "" "NAME" "SOURCES;LINK" ${ARGN})
    set(_cpp ${VL_SOURCES})
    list(FILTER _cpp INCLUDE REGEX "\\.cpp$")
    if(_cpp)
        add_library(${VL_NAME} STATIC ${VL_SOURCES})
        target_include_directories(${VL_NAME} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(${VL_NAME} PUBLIC ${VL_LINK})
        target_compile_definitions(${VL_NAME} PRIVATE ${VOLLO_STRICT_QT})
    else()
        add_library(${VL_NAME} INTERFACE ${VL_SOURCES})
        target_include_directories(${VL_NAME} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(${VL_NAME} INTERFACE ${VL_LINK})
    endif()
endfunction()

# vollo_tests(TESTS <tst_*.cpp...> SUPPORT <support files...> LINK <targets...>)
# One test executable per listed test file. The folder's support files are
# compiled once, into <folder>_support, which every test of the folder links
# (and other folders may link too). Each test runs offscreen on a fresh
# temporary HOME and XDG tree, so no test touches a real user's files.
function(vollo_tests)
    cmake_parse_arguments(VT "" "" "TESTS;SUPPORT;LINK" ${ARGN})
    get_filename_component(_dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(_link ${VT_LINK} Qt6::Test)
    if(VT_SUPPORT)
        set(_support ${_dir}_support)
        set(_cpp ${VT_SUPPORT})
        list(FILTER _cpp INCLUDE REGEX "\\.cpp$")
        if(_cpp)
            add_library(${_support} STATIC ${VT_SUPPORT})
            target_link_libraries(${_support} PUBLIC ${_link})
            target_include_directories(${_support} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
        else()
            add_library(${_support} INTERFACE ${VT_SUPPORT})
            target_link_libraries(${_support} INTERFACE ${_link})
            target_include_directories(${_support} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
        endif()
        list(APPEND _link ${_support})
    endif()
    foreach(_src ${VT_TESTS})
        get_filename_component(_name ${_src} NAME_WE)
        set(_target ${_dir}_${_name})
        add_executable(${_target} ${_src})
        target_link_libraries(${_target} PRIVATE ${_link})
        target_include_directories(${_target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
        add_test(NAME ${_target} COMMAND ${PROJECT_SOURCE_DIR}/tests/run_isolated.sh $<TARGET_FILE:${_target}>)
        set_tests_properties(${_target} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VOLLO_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
            TIMEOUT 300)
    endforeach()
endfunction()
