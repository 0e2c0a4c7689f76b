"""The shell built where its users build it: as the windows/ folder of a Flutter app.

Lays out an app as the Flutter tool would: windows/ holds the shell's sources and the tool's
flutter/ folder, here played by the prebuilt stand-in engine with an SDK-style header; the app's
generated_plugins.cmake names ten plugin packages, each with its own windows/ CMake. Then
configures windows/ in a separate build folder (a multi-configuration generator, like the tool's
Visual Studio one), builds the install target of Release, checks the bundle, and runs one whole
dictation into notepad on it.
"""

import argparse
import filecmp
import os
import re
import shutil
import subprocess
import sys

from e2e_support import ROOT, Peer, Probe, start_notepad, stop_wine
import test_dictation

FIXTURE = os.path.join(ROOT, "tests", "e2e", "flutter_app")
# One plugin ships a library of its own beside its plugin library.
EXTRA_LIBRARY = {"fvp": "fvp_runtime.dll"}

PLUGIN_CMAKE = """# The {package} plugin's native half: the stand-in plugin library.
add_library({package}_plugin SHARED {root}/standin/plugins/standin_plugin.cpp)
set_target_properties({package}_plugin PROPERTIES PREFIX "")
target_compile_definitions({package}_plugin PRIVATE
  MURMURLY_PLUGIN_ENTRY={registrar}RegisterWithRegistrar MURMURLY_PLUGIN_NAME="{registrar}")
target_include_directories({package}_plugin PRIVATE {root})
target_link_libraries({package}_plugin PRIVATE flutter_wrapper_plugin)
add_dependencies({package}_plugin flutter_assemble)
"""

GENERATED_PLUGINS = """# Generated per app by the Flutter tool.
list(APPEND FLUTTER_PLUGIN_LIST
{plugins}
)
list(APPEND FLUTTER_FFI_PLUGIN_LIST
)
foreach(plugin ${{FLUTTER_PLUGIN_LIST}})
  add_subdirectory(flutter/ephemeral/.plugin_symlinks/${{plugin}}/windows plugins/${{plugin}})
  target_link_libraries(${{BINARY_NAME}} PRIVATE ${{plugin}}_plugin)
  list(APPEND PLUGIN_BUNDLED_LIBRARIES $<TARGET_FILE:${{plugin}}_plugin>)
  list(APPEND PLUGIN_BUNDLED_LIBRARIES ${{${{plugin}}_bundled_libraries}})
endforeach(plugin)
foreach(ffi_plugin ${{FLUTTER_FFI_PLUGIN_LIST}})
  add_subdirectory(flutter/ephemeral/.plugin_symlinks/${{ffi_plugin}}/windows plugins/${{ffi_plugin}})
  list(APPEND PLUGIN_BUNDLED_LIBRARIES ${{${{ffi_plugin}}_bundled_libraries}})
endforeach(ffi_plugin)
"""


def plugins():
    """(package, registrar name) of the ten plugins, from the stand-in's plugin table."""
    with open(os.path.join(ROOT, "standin", "plugins", "CMakeLists.txt")) as table:
        rows = re.findall(r'"(\w+)\\;(\w+)_plugin"', table.read())
    assert len(rows) == 10, rows
    return [(package, registrar) for registrar, package in rows]


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as out:
        out.write(text)


def lay_out(app, args):
    windows = os.path.join(app, "windows")
    os.makedirs(windows)
    for entry in os.listdir(ROOT):
        if entry not in ("build", ".git"):
            os.symlink(os.path.join(ROOT, entry), os.path.join(windows, entry))
    flutter = os.path.join(windows, "flutter")
    os.makedirs(flutter)
    shutil.copy(os.path.join(FIXTURE, "flutter", "CMakeLists.txt"), flutter)
    write(os.path.join(flutter, "ephemeral", "generated_config.cmake"), "".join(
        'set(%s "%s")\n' % pair for pair in [
            ("PROJECT_DIR", app), ("MURMURLY_SOURCE_DIR", ROOT),
            ("PREBUILT_ENGINE", args.engine), ("PREBUILT_ENGINE_IMPORT_LIBRARY", args.import_library),
            ("PREBUILT_ENGINE_HEADER", os.path.join(FIXTURE, "flutter_windows.h"))]))
    rows = plugins()
    write(os.path.join(flutter, "generated_plugins.cmake"), GENERATED_PLUGINS.format(
        plugins="\n".join("  " + package for package, _ in rows)))
    for package, registrar in rows:
        # Plugin packages live outside the app; the tool links them in.
        package_dir = os.path.join(app, "pub-cache", package)
        text = PLUGIN_CMAKE.format(package=package, registrar=registrar, root=ROOT)
        if package in EXTRA_LIBRARY:
            write(os.path.join(package_dir, "windows", EXTRA_LIBRARY[package]), "placeholder\n")
            text += 'set({0}_bundled_libraries "${{CMAKE_CURRENT_SOURCE_DIR}}/{1}" PARENT_SCOPE)\n' \
                .format(package, EXTRA_LIBRARY[package])
        write(os.path.join(package_dir, "windows", "CMakeLists.txt"), text)
        link = os.path.join(flutter, "ephemeral", ".plugin_symlinks", package)
        os.makedirs(os.path.dirname(link), exist_ok=True)
        os.symlink(package_dir, link)
    return windows, [package for package, _ in rows]


def run(*command):
    print("+", " ".join(command), flush=True)
    subprocess.run(command, check=True, stdout=sys.stdout, stderr=subprocess.STDOUT)


def check_bundle(bundle, build_dir, packages, args):
    found = set()
    for folder, _, files in os.walk(bundle):
        found.update(os.path.relpath(os.path.join(folder, f), bundle) for f in files)
    expected = {"murmurly.exe", "flutter_windows.dll", "data/icudtl.dat", "data/app.so",
                "data/flutter_assets/AssetManifest.json", *EXTRA_LIBRARY.values()}
    expected.update(package + "_plugin.dll" for package in packages)
    assert found == expected, "bundle holds %s, expected %s" % (sorted(found), sorted(expected))
    assert filecmp.cmp(os.path.join(bundle, "flutter_windows.dll"), args.engine, shallow=False), \
        "the bundle's engine is not the prebuilt one"
    assert not os.path.exists(os.path.join(build_dir, "standin")), "a stand-in part was built"
    # A real engine exports its published functions only: nothing else may be imported.
    imports = engine_imports(os.path.join(bundle, "murmurly.exe"))
    assert len(imports) == 23 and all(n.startswith("FlutterDesktop") for n in imports), imports


def engine_imports(exe):
    """The names the exe imports from flutter_windows.dll."""
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], check=True,
                          capture_output=True, text=True).stdout
    section = dump.split("DLL Name: flutter_windows.dll", 1)[1].split("\n\n", 1)[0]
    return [line.split()[-1] for line in section.splitlines()[2:] if line.strip()]


def dictate(bundle, args):
    probe = Probe(args.probe)
    start_notepad()
    peer = Peer(bundle)
    try:
        peer.accept()
        peer.wait_notice("top-level-visible")
        assert peer.call(test_dictation.HOTKEY, "startListening") == ("success", None)
        test_dictation.test_dictation(peer, probe)
    finally:
        peer.close()
        stop_wine()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("--engine", required=True)
    parser.add_argument("--import-library", required=True)
    parser.add_argument("--toolchain", required=True)
    parser.add_argument("--probe", required=True)
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)
    app = os.path.join(args.work, "app")
    windows, packages = lay_out(app, args)
    build_dir = os.path.join(app, "build", "windows", "x64")
    run("cmake", "-S", windows, "-B", build_dir, "-G", "Ninja Multi-Config",
        "-DCMAKE_TOOLCHAIN_FILE=" + args.toolchain, "-DFLUTTER_TARGET_PLATFORM=windows-x64")
    run("cmake", "--build", build_dir, "--config", "Release", "--target", "install")
    bundle = os.path.join(build_dir, "runner", "Release")
    check_bundle(bundle, build_dir, packages, args)
    print("PASS bundle laid out by install")

    # Flutter assets are copied afresh: nothing stale survives a second install.
    stale = os.path.join(bundle, "data", "flutter_assets", "stale.json")
    write(stale, "{}")
    run("cmake", "--install", build_dir, "--config", "Release")
    assert not os.path.exists(stale), "a stale asset survived the install"
    print("PASS assets copied afresh")

    dictate(bundle, args)
    print("PASS dictation into notepad from the installed bundle")
    print("3 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
