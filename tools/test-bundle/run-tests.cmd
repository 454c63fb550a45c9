@echo off
rem Runs the test programs of this bundle and ends with "N passed, M failed".
rem   run-tests                 every architecture this Windows runs
rem   run-tests /arch:win32     one architecture
rem   run-tests NAME ...        only these programs (for example foldertree_window_test)
rem Each program's output goes to logs\<architecture>\<program>.log here.
setlocal
set "bundle=%~dp0"
set "arch=win32"
if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set "arch=win64"
if /i "%PROCESSOR_ARCHITEW6432%"=="AMD64" set "arch=win64"
if not exist "%bundle%%arch%\tests\run-tests.exe" set "arch=win32"
"%bundle%%arch%\tests\run-tests.exe" /logs:"%bundle%logs" %*
exit /b %errorlevel%
