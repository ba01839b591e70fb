# Every modal window of the desktop program runs through the GUI services (RunModal,
# AskFileName, Message): only there is the program told that a nested event loop runs, so
# that idle processing (the Macros page's receive poll, a file being sent) stays away and
# the frame refuses to close under it. A dialog's own exec() (a print dialog's and a print
# preview's among them, and a dialog class calling its own exec() or QDialog::exec()), a
# static helper of QMessageBox, QFileDialog, QInputDialog, QColorDialog or QFontDialog, or
# a window-modal open() escapes that; this check fails on any of them outside the services.
#
#   cmake -DSOURCES=<folder> [-DALLOWED=<file;...>] -P ModalWindowsCheck.cmake

cmake_minimum_required(VERSION 3.16)

if(NOT SOURCES)
    message(FATAL_ERROR "ModalWindowsCheck: give -DSOURCES=<folder>")
endif()
if(NOT ALLOWED)
    set(ALLOWED GuiServices.cpp)
endif()

file(GLOB_RECURSE files "${SOURCES}/*.cpp" "${SOURCES}/*.h")
if(NOT files)
    message(FATAL_ERROR "ModalWindowsCheck: no sources under ${SOURCES}")
endif()

# What opens a modal window of its own. The application's own loop (QApplication::exec,
# app.exec) is not a window.
set(patterns
    "[.>]exec[ \t]*\\("
    "(^|[^A-Za-z0-9_.>:])exec[ \t]*\\("
    "::exec[ \t]*\\("
    "QMessageBox::(warning|critical|information|question|about|aboutQt)[ \t]*\\("
    "QFileDialog::get[A-Za-z]*[ \t]*\\("
    "QInputDialog::get[A-Za-z]*[ \t]*\\("
    "QColorDialog::getColor[ \t]*\\("
    "QFontDialog::getFont[ \t]*\\("
    "(Dialog|dialog|dlg|Dlg|box|Box|preview)[A-Za-z_]*(\\.|->)open[ \t]*\\(")
set(allowedLoops "(QApplication|QGuiApplication|QCoreApplication)::exec[ \t]*\\(|app\\.exec[ \t]*\\(")

# Appends "file:line: text" to `out` for each line of `file` that opens a modal window.
function(scan_file file shownAs out)
    file(READ "${file}" content)
    # One list entry a line: the list separator and brackets in the code are masked first.
    string(REPLACE ";" "<semicolon>" content "${content}")
    string(REPLACE "[" "<lb>" content "${content}")
    string(REPLACE "]" "<rb>" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(result "${${out}}")
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        # Comments and the text of strings do not open windows.
        string(REGEX REPLACE "//.*$" "" code "${line}")
        string(REGEX REPLACE "\"([^\"\\\\]|\\\\.)*\"" "\"\"" code "${code}")
        if(code MATCHES "${allowedLoops}")
            continue()
        endif()
        foreach(pattern IN LISTS patterns)
            if(code MATCHES "${pattern}")
                string(STRIP "${line}" text)
                string(REPLACE "<semicolon>" ";" text "${text}")
                string(APPEND result "  ${shownAs}:${number}: ${text}\n")
                break()
            endif()
        endforeach()
    endforeach()
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

# The check checks itself first: each line of the first list must be found, none of the
# second.
set(escapes
    "    if (dlg.exec() != QDialog::Accepted)"
    "    preview->exec()<semicolon>"
    "    QMessageBox::warning(this, title, text)<semicolon>"
    "    const QString f = QFileDialog::getOpenFileName(this)<semicolon>"
    "    QFileDialog::getSaveFileName(nullptr, a, b, c)<semicolon>"
    "    QInputDialog::getText(this, t, l)<semicolon>"
    "    QColorDialog::getColor()<semicolon>"
    "    dialog.open()<semicolon>"
    "    menu.exec(QCursor::pos())<semicolon>"
    "    QPrintDialog dialog(&printer, this)<semicolon> if (dialog.exec() != QDialog::Accepted)"
    "    QPrintPreviewDialog(&printer, this).exec()<semicolon>"
    "    auto* preview = new QPrintPreviewDialog(&printer)<semicolon> preview->open()<semicolon>"
    "    printDialog->open(this, SLOT(print()))<semicolon>"
    "    if (exec() == QDialog::Accepted)"
    "    return QDialog::exec()<semicolon>")
set(harmless
    "    return app.ExitInstance(QApplication::exec())<semicolon>"
    "    return QCoreApplication::exec()<semicolon>"
    "    m_executor(job)<semicolon> reexec(x)<semicolon> Exec(y)<semicolon>"
    "    // dialog.exec() would bypass the services"
    "    m_services.Message(\"call dlg.exec() here\")<semicolon>"
    "    if (m_services.RunModal(dlg) != QDialog::Accepted)"
    "    QFile file(path)<semicolon> file.open(QIODevice::ReadOnly)<semicolon>")
set(sample "${CMAKE_CURRENT_BINARY_DIR}/ModalWindowsCheckSample.cpp")
foreach(kind escapes harmless)
    string(REPLACE ";" "\n" text "${${kind}}")
    string(REPLACE "<semicolon>" ";" text "${text}")
    file(WRITE "${sample}" "${text}\n")
    set(hits "")
    scan_file("${sample}" sample hits)
    string(REGEX MATCHALL "sample:[0-9]+:" hitLines "${hits}")
    list(LENGTH hitLines hitCount)
    list(LENGTH ${kind} expected)
    if(kind STREQUAL "harmless")
        set(expected 0)
    endif()
    if(NOT hitCount EQUAL expected)
        file(REMOVE "${sample}")
        message(FATAL_ERROR "ModalWindowsCheck: ${hitCount} of the ${kind} sample lines found, "
                            "expected ${expected}:\n${hits}")
    endif()
endforeach()
file(REMOVE "${sample}")

set(found "")
foreach(file IN LISTS files)
    get_filename_component(name "${file}" NAME)
    if(name IN_LIST ALLOWED)
        continue()
    endif()
    file(RELATIVE_PATH shown "${SOURCES}" "${file}")
    scan_file("${file}" "${shown}" found)
endforeach()

if(found)
    message(FATAL_ERROR "A modal window opened outside the GUI services "
                        "(use IUiServices::RunModal, AskFileName or Message):\n${found}")
endif()
list(LENGTH files count)
message(STATUS "ModalWindowsCheck: ${count} files, every modal window through the services")
