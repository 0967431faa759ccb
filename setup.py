"""Builds the compiled module detection_workbench through the project's CMake build.

pyproject.toml holds the metadata; this file only tells setuptools how to make the
extension: configure the project for the interpreter that runs the build, build the one
target, and copy the module (with the drawing plug-in its plot() uses) where setuptools
expects it.
"""
import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        args = ["-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release", "-DDETECTION_BUILD_BENCH=OFF",
                f"-DDETECTION_PYTHON={sys.executable}"]
        env = dict(os.environ)
        if shutil.which("ccache"):
            args.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
            # Paths hashed relative to the checkout, as scripts/lib/common.sh does, so that the
            # objects of an earlier build of the same sources are found.
            env.setdefault("CCACHE_BASEDIR", str(ROOT))
            env.setdefault("CCACHE_NOHASHDIR", "1")
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), *args], check=True, env=env)
        subprocess.run(["cmake", "--build", str(build), "--target", "detection_workbench",
                        "-j", str(os.cpu_count() or 1)], check=True, env=env)
        built = next((build / "python").glob("detection_workbench*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(built, target)
        # plot() draws through the companion's drawing plug-in, looked for beside the module.
        plugin = build / "batch" / "detection-batch-drawing.so"
        if plugin.exists():
            shutil.copy2(plugin, target.parent / plugin.name)


setup(ext_modules=[Extension("detection_workbench", sources=[])], cmdclass={"build_ext": CMakeBuild})
