@echo off
rem Tempiro 清理系统垃圾：只删除临时文件夹中的文件。
rem 不进入目录链接（junction）和符号链接，不删除文件夹本身，可以连续运行多次。
rem 本文件以 UTF-8 保存，构建时转换为 GBK、CRLF，放在 Tempiro.exe 旁边。
setlocal EnableExtensions DisableDelayedExpansion
set /a removed=0
echo Tempiro 清理系统垃圾
call :clean "%TEMP%"
if /i not "%TEMP%"=="%SystemRoot%\Temp" call :clean "%SystemRoot%\Temp"
echo 共删除 %removed% 个文件。
endlocal
exit /b 0

rem 清理一个临时文件夹。只接受最后一级名为 Temp 的文件夹，
rem 这样 TEMP 变量被改成别的目录时也不会误删文件。
:clean
if "%~1"=="" exit /b 0
if /i not "%~nx1"=="Temp" (
    echo 跳过：%~1 不是临时文件夹
    exit /b 0
)
if not exist "%~1\" exit /b 0
echo 清理文件夹：%~1
call :walk "%~1"
exit /b 0

rem 删除一个文件夹中的文件，再进入它的子文件夹。先进入该文件夹，去掉隐藏、
rem 系统和只读属性，普通的 for 才能看到这些文件；文件名不经过代码页转换，
rem 中文名也不会认错。没有进入该文件夹时什么也不删。正在使用的文件删不掉，
rem 留在原处，不算在内。
:walk
pushd "%~1" 2>nul
if /i not "%cd%"=="%~f1" (
    echo 无法进入：%~1
    exit /b 0
)
attrib -r -h -s * /d >nul 2>&1
for %%F in (*) do (
    del /f /q "%%~fF" >nul 2>&1
    if not exist "%%~fF" (
        echo 已删除：%%~fF
        set /a removed+=1
    )
)
for /d %%D in (*) do call :enter "%%~fD" "%%~aD"
popd
exit /b 0

rem 子文件夹的属性第 9 位是 l 时，它是目录链接或符号链接：不进入，免得删到别处的文件。
:enter
set "attributes=%~2"
if /i "%attributes:~8,1%"=="l" (
    echo 跳过链接：%~1
    exit /b 0
)
call :walk "%~1"
exit /b 0
