# Sourced by the build scripts: compile through ccache where it is installed, so that a
# second build of the same sources on this machine (another clone, the CI's fresh clone)
# takes the objects from the cache instead of compiling them again. Paths below the
# source folder are hashed relative to it, so clones in different folders share the
# cache. KVU_NO_CCACHE=1 builds without it.
KVU_CACHE_FLAGS=()
if [ "${KVU_NO_CCACHE:-0}" != 1 ] && command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$PWD"
    export CCACHE_NOHASHDIR=1
    KVU_CACHE_FLAGS=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
else
    KVU_CACHE_FLAGS=(-UCMAKE_CXX_COMPILER_LAUNCHER -UCMAKE_C_COMPILER_LAUNCHER)
fi
