# The program: the main window's unit as a library (its tests link it too) and the Ortavo
# executable with the program block.
add_library(ortavo_principal STATIC ${CMAKE_CURRENT_LIST_DIR}/UPrincipal.cpp)
target_include_directories(ortavo_principal PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(ortavo_principal PUBLIC ortavo_app ortavo_widgets ortavo_reconciliation ortavo_base
  PRIVATE ortavo_warnings)

add_executable(Ortavo ${CMAKE_CURRENT_LIST_DIR}/Ortavo.cpp)
target_link_libraries(Ortavo PRIVATE ortavo_principal ortavo_warnings)

# Installed in a folder of its own under the program file name Ortavo, which the window's
# title is derived from, and started as ortavo through a link on the PATH (the title is read
# from the resolved file).
include(GNUInstallDirs)
install(TARGETS Ortavo RUNTIME DESTINATION lib/ortavo)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/ortavo-link)
file(CREATE_LINK ../lib/ortavo/Ortavo ${CMAKE_CURRENT_BINARY_DIR}/ortavo-link/ortavo SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ortavo-link/ortavo DESTINATION ${CMAKE_INSTALL_BINDIR})
