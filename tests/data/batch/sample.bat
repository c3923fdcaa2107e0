@echo off
rem Counts the text files below a folder.
:: Usage: count.cmd [folder]
setlocal enabledelayedexpansion

set "ROOT=%~dp0"
if not "%1"=="" set "ROOT=%~1"
set /a COUNT=0

for /r "%ROOT%" %%f in (*.txt) do (
    if exist "%%f" (
        set /a COUNT+=1
        echo Found %%~nxf
    ) else (
        echo Missing "%%f" ^& skipped
    )
)

echo Total: !COUNT! files in %ROOT%
goto :done

:done
endlocal & exit /b 0
