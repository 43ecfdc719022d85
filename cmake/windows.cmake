# Windows build: Folivex.exe (one static executable), the unit tests and the
# GUI tests, all run under Wine when cross-built.
set(FV_WIN_FLAGS -municode -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX
                 -D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00 -Wall -Wextra -Wno-unused-parameter
                 -Wno-cast-function-type -Wno-missing-field-initializers)
set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static -static-libgcc -static-libstdc++")
set(FV_SYSTEM_LIBS comctl32 gdi32 user32 kernel32 shell32 shlwapi ole32 oleaut32 uuid advapi32
                   comdlg32 msimg32 windowscodecs bcrypt crypt32 winhttp version runtimeobject winspool)

# The PDFium engine DLL is packed into the program (compressed); its size,
# checksums and build number are taken from the real file at build time.
set(FV_PDFIUM_DLL "" CACHE FILEPATH "pdfium.dll for Windows x64 (tools/fetch_pdfium.sh fetches it)")
if(NOT FV_PDFIUM_DLL OR NOT EXISTS "${FV_PDFIUM_DLL}")
  message(FATAL_ERROR "FV_PDFIUM_DLL must name pdfium.dll (run tools/fetch_pdfium.sh)")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(FV_GEN ${CMAKE_BINARY_DIR}/generated)
add_custom_command(
  OUTPUT ${FV_GEN}/pdfium.dll.z ${FV_GEN}/engine_build.h
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/pack_engine.py
          ${FV_PDFIUM_DLL} ${FV_GEN}/pdfium.dll.z ${FV_GEN}/engine_build.h
  DEPENDS ${FV_PDFIUM_DLL} ${CMAKE_SOURCE_DIR}/tools/pack_engine.py
  COMMENT "Packing the PDFium engine")
add_custom_target(fv_engine_pack DEPENDS ${FV_GEN}/pdfium.dll.z ${FV_GEN}/engine_build.h)

# Everything but the entry point goes into the layer libraries (fvwin_base
# ... fvwin_app), so the unit tests link exactly the code the program runs.
fv_layer_libraries(fvwin TRUE)
foreach(lib IN LISTS fvwin_LIBRARIES)
  get_target_property(type ${lib} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${lib} PUBLIC ${FV_GEN})
    target_compile_options(${lib} PUBLIC ${FV_WIN_FLAGS})
    target_link_libraries(${lib} PUBLIC ${FV_SYSTEM_LIBS})
  endif()
endforeach()
add_dependencies(fvwin_engine fv_engine_pack)

set(FV_RC ${CMAKE_SOURCE_DIR}/resources/folivex.rc)
set_source_files_properties(${FV_RC} PROPERTIES OBJECT_DEPENDS
  "${FV_GEN}/pdfium.dll.z;${CMAKE_SOURCE_DIR}/resources/folivex.manifest")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${FV_GEN} -I${CMAKE_SOURCE_DIR}/resources")
add_executable(Folivex WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp ${FV_RC})
target_link_libraries(Folivex PRIVATE ${fvwin_TOP})
target_link_options(Folivex PRIVATE -municode -mwindows)

if(FV_TESTS)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  enable_testing()
  include(GoogleTest)

  # Unit tests: the platform-neutral tests again (now under Windows' C
  # runtime) plus the Windows-only ones. The resources are linked in so that
  # tests can reach the packed engine and the dialogs.
  add_executable(fv_win_tests ${FV_CORE_TESTS} ${FV_WIN_TESTS} ${FV_RC})
  target_link_libraries(fv_win_tests PRIVATE ${fvwin_TOP} GTest::gtest_main)
  target_compile_definitions(fv_win_tests PRIVATE FV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(fv_win_tests TEST_PREFIX "win." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)

  # The program must be a 64-bit GUI executable that needs nothing but
  # Windows' own DLLs.
  add_test(NAME host.FolivexImportsOnlySystemDlls
           COMMAND ${CMAKE_SOURCE_DIR}/tools/check_imports.sh $<TARGET_FILE:Folivex>)

  # Documents the GUI tests open, made by our own generator.
  set(FV_TESTDATA ${CMAKE_BINARY_DIR}/testdata)
  add_custom_command(
    OUTPUT ${FV_TESTDATA}/sample.pdf ${FV_TESTDATA}/sample20.pdf ${FV_TESTDATA}/sample5.pdf ${FV_TESTDATA}/sample1.pdf
           ${FV_TESTDATA}/bookmarks.pdf
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FV_TESTDATA}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_sample_pdf.py ${FV_TESTDATA}/sample1.pdf 1
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/tests/engine/data/bookmarks.pdf ${FV_TESTDATA}/bookmarks.pdf
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_sample_pdf.py ${FV_TESTDATA}/sample.pdf 12
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_sample_pdf.py ${FV_TESTDATA}/sample20.pdf 20
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_sample_pdf.py ${FV_TESTDATA}/sample5.pdf 5
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_sample_pdf.py ${CMAKE_SOURCE_DIR}/tools/simple_pdf.py)
  # Documents of the opening tests: a password-protected one (made by qpdf)
  # and a file that is not a PDF.
  add_custom_command(
    OUTPUT ${FV_TESTDATA}/encrypted.pdf ${FV_TESTDATA}/not_a_pdf.pdf
    COMMAND sh ${CMAKE_SOURCE_DIR}/tools/make_open_test_pdfs.sh ${Python3_EXECUTABLE} ${FV_TESTDATA}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_open_test_pdfs.sh ${CMAKE_SOURCE_DIR}/tools/make_sample_pdf.py
            ${CMAKE_SOURCE_DIR}/tools/simple_pdf.py)
  # Documents the saving tests rearrange (needs qpdf for the linearized one).
  add_custom_command(
    OUTPUT ${FV_TESTDATA}/save/tree.pdf ${FV_TESTDATA}/save/linearized.pdf ${FV_TESTDATA}/save/big.pdf
    COMMAND sh ${CMAKE_SOURCE_DIR}/tools/make_save_test_pdfs.sh ${Python3_EXECUTABLE} ${FV_TESTDATA}/save
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_save_test_pdfs.sh ${CMAKE_SOURCE_DIR}/tools/make_page_order_pdfs.py
            ${CMAKE_SOURCE_DIR}/tools/make_big_pdf.py)
  add_custom_target(fv_save_testdata ALL DEPENDS ${FV_TESTDATA}/save/tree.pdf ${FV_TESTDATA}/save/linearized.pdf
                    ${FV_TESTDATA}/save/big.pdf)
  # The document of the find, selection and link tests, and poppler's text
  # of it to check them against.
  add_custom_command(
    OUTPUT ${FV_TESTDATA}/find.pdf ${FV_TESTDATA}/find.txt
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FV_TESTDATA}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_find_pdf.py ${FV_TESTDATA}/find.pdf
    COMMAND pdftotext ${FV_TESTDATA}/find.pdf ${FV_TESTDATA}/find.txt
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_find_pdf.py ${CMAKE_SOURCE_DIR}/tools/simple_pdf.py)
  add_custom_target(fv_testdata ALL DEPENDS ${FV_TESTDATA}/sample.pdf ${FV_TESTDATA}/sample20.pdf ${FV_TESTDATA}/sample5.pdf
                    ${FV_TESTDATA}/sample1.pdf ${FV_TESTDATA}/bookmarks.pdf ${FV_TESTDATA}/encrypted.pdf
                    ${FV_TESTDATA}/not_a_pdf.pdf ${FV_TESTDATA}/find.pdf)

  # GUI tests start the real Folivex.exe and drive it from outside.
  if(FV_GUI_TESTS)
    add_executable(fv_gui_tests ${FV_GUI_TESTS})
    target_include_directories(fv_gui_tests PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(fv_gui_tests PRIVATE ${FV_WIN_FLAGS})
    target_link_libraries(fv_gui_tests PRIVATE GTest::gtest_main ${FV_SYSTEM_LIBS})
    target_compile_definitions(fv_gui_tests PRIVATE FV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_dependencies(fv_gui_tests Folivex fv_testdata)
    # The test build of the program: the same code plus the save faults a GUI
    # test asks for through the environment (tests/engine/save_faults_setup.cpp).
    add_executable(FolivexFaults WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp
                   ${CMAKE_SOURCE_DIR}/tests/engine/save_faults_setup.cpp ${FV_RC})
    target_link_libraries(FolivexFaults PRIVATE ${fvwin_TOP})
    target_link_options(FolivexFaults PRIVATE -municode -mwindows)
    add_dependencies(fv_gui_tests FolivexFaults fv_save_testdata)
    # The saving benchmark drives the real program as the GUI tests do.
    add_executable(save_bench ${CMAKE_SOURCE_DIR}/bench/save_bench.cpp ${CMAKE_SOURCE_DIR}/tests/gui/gui_harness.cpp)
    target_include_directories(save_bench PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(save_bench PRIVATE ${FV_WIN_FLAGS})
    target_link_libraries(save_bench PRIVATE ${FV_SYSTEM_LIBS})
    target_link_options(save_bench PRIVATE -municode)
    target_compile_definitions(save_bench PRIVATE FV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    # Stands in for the browser: records the addresses the program opens.
    add_executable(fv_url_recorder WIN32 ${CMAKE_SOURCE_DIR}/tests/gui/url_recorder.cpp)
    target_compile_options(fv_url_recorder PRIVATE ${FV_WIN_FLAGS})
    target_link_options(fv_url_recorder PRIVATE -municode -mwindows)
    add_dependencies(fv_gui_tests fv_url_recorder)
    # Stands in for Windows' mail component, which Wine lacks: the email
    # tests register it for "CDO.Message" and it sends through SMTP.
    add_library(cdo_standin SHARED ${CMAKE_SOURCE_DIR}/tests/share/cdo_standin/cdo_standin.cpp
                ${CMAKE_SOURCE_DIR}/tests/share/cdo_standin/cdo_standin.def)
    set_target_properties(cdo_standin PROPERTIES PREFIX "")
    target_compile_options(cdo_standin PRIVATE ${FV_WIN_FLAGS})
    target_link_options(cdo_standin PRIVATE -static -static-libgcc -static-libstdc++)
    target_link_libraries(cdo_standin PRIVATE ws2_32 ole32 oleaut32 uuid)
    add_dependencies(fv_gui_tests cdo_standin)
    gtest_discover_tests(fv_gui_tests TEST_PREFIX "gui." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES RUN_SERIAL TRUE TIMEOUT 300
                         ENVIRONMENT "FV_BUILD_DIR=${CMAKE_BINARY_DIR}")
  endif()

  # The update tests: the real program against a local HTTPS release
  # server, which ctest starts before them and stops after them.
  if(FV_UPDATE_GUI_TESTS)
    add_executable(fv_update_gui_tests ${FV_UPDATE_GUI_TESTS})
    target_include_directories(fv_update_gui_tests PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(fv_update_gui_tests PRIVATE ${FV_WIN_FLAGS})
    target_link_libraries(fv_update_gui_tests PRIVATE GTest::gtest_main ${FV_SYSTEM_LIBS})
    target_compile_definitions(fv_update_gui_tests PRIVATE FV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    # A stand-in for the separate installer, served as the new installer.
    add_executable(fv_fake_setup WIN32 ${CMAKE_SOURCE_DIR}/tests/gui/fake_setup.cpp
                   ${CMAKE_SOURCE_DIR}/tests/gui/fake_setup.rc)
    target_link_options(fv_fake_setup PRIVATE -municode -mwindows)
    add_dependencies(fv_update_gui_tests Folivex fv_testdata fv_fake_setup)
    add_test(NAME gui.UpdateServerStart
             COMMAND sh ${CMAKE_SOURCE_DIR}/tests/gui/update_server.sh start ${CMAKE_BINARY_DIR}/update_server
                     $<TARGET_FILE:Folivex> $<TARGET_FILE:fv_fake_setup>)
    add_test(NAME gui.UpdateServerStop
             COMMAND sh ${CMAKE_SOURCE_DIR}/tests/gui/update_server.sh stop ${CMAKE_BINARY_DIR}/update_server)
    set_tests_properties(gui.UpdateServerStart PROPERTIES FIXTURES_SETUP fv_update_server RUN_SERIAL TRUE)
    set_tests_properties(gui.UpdateServerStop PROPERTIES FIXTURES_CLEANUP fv_update_server RUN_SERIAL TRUE)
    gtest_discover_tests(fv_update_gui_tests TEST_PREFIX "gui." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES RUN_SERIAL TRUE TIMEOUT 300 FIXTURES_REQUIRED fv_update_server
                         ENVIRONMENT "FV_BUILD_DIR=${CMAKE_BINARY_DIR}")
  endif()
endif()

# Viewer benchmarks: a console program that drives the real main window and
# render worker in-process (tools/run_viewer_bench.sh builds and runs it).
# The test build compiles it too, so that it can't quietly stop building.
if(FV_BENCH OR FV_TESTS)
  add_executable(viewer_bench ${CMAKE_SOURCE_DIR}/bench/viewer_bench.cpp ${FV_RC})
  target_link_libraries(viewer_bench PRIVATE ${fvwin_TOP} psapi)
  target_link_options(viewer_bench PRIVATE -municode)
endif()
