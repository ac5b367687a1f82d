# The tests of a Windows build (tools/build-windows.sh --test), run on Linux under Wine. Included
# from tests/CMakeLists.txt in place of the Linux tests that follow it there.
#
# Every Windows program runs through wine-env.sh with a Wine prefix and home folder inside this
# build folder. The unit tests share one (made by the first run, GoogleTest's listing of them);
# each end-to-end case makes its own.
set(TONAREL_WINE ${CMAKE_CURRENT_SOURCE_DIR}/windows/wine-env.sh)
set(TONAREL_WINE_STATE ${CMAKE_BINARY_DIR}/wine-tests)
set_target_properties(tonarel-tests PROPERTIES
    CROSSCOMPILING_EMULATOR "${TONAREL_WINE};${TONAREL_WINE_STATE}")

# Left out under Wine, each for a reason of the test's own, not of the code it tests:
# - symbolic links (SnapshotSafety.LinkNamed..., SnapshotFolderPruning.Neither...): the tests make
#   one, which Windows allows only to administrators or in developer mode and Wine does not make;
# - FuzzRegressions.* replay whole corpora (preset files, device frames), one Wine call at a time,
#   past their limit; the Linux suite replays them through the same code.
set(TONAREL_NOT_UNDER_WINE
    SnapshotSafety.LinkNamedLikeASnapshotAndFutureDatedFoldersLeaveEveryFileWhereItWas
    SnapshotFolderPruning.NeitherTheNewFolderNorTheOneInUseNorLinksNorFoldersWithoutARecordGo
    FuzzRegressions.*)
list(JOIN TONAREL_NOT_UNDER_WINE ":" TONAREL_NOT_UNDER_WINE)

# Listed when CTest starts rather than after linking: the build itself then needs no Wine.
gtest_discover_tests(tonarel-tests
    TEST_FILTER "-${TONAREL_NOT_UNDER_WINE}"
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 300
    PROPERTIES TIMEOUT 300)

# The programs as a user meets them, each scenario with a Wine prefix, home folder and X server of
# its own ("ctest -L e2e"). They compare the Windows programs' files with the Linux command
# line's, which tools/build-windows.sh builds beside this tree.
set(TONAREL_LINUX_COMMAND_LINE "" CACHE FILEPATH "The Linux build's tonarel, for the Windows end-to-end tests")
foreach(scenario demo-save-all-load-all command-line installer)
    add_test(NAME windows-e2e.${scenario}
        COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/run-windows-e2e.sh ${CMAKE_BINARY_DIR}
                ${TONAREL_LINUX_COMMAND_LINE} ${scenario})
    set_tests_properties(windows-e2e.${scenario} PROPERTIES LABELS e2e TIMEOUT 900)
endforeach()
