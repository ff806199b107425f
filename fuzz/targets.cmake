# The fuzz targets: one per reader of a file a game reads, each with the step
# that consumes what it read. Included by fuzz/ (libFuzzer builds) and by
# tests/fuzz/ (the same targets replayed over the seeds and every crash
# found, in the normal test suite).
#
#   hop_fuzz_target(<name> SOURCE <file> LIBS <libs> SEEDS <folder under fuzz/seeds>
#                   [ASSETS <glob>...] READER <files for the coverage report> [MAX_LEN <bytes>]
#                   [FULL_LENGTH])
# ASSETS: generated or committed files that join the seed corpus (globs from
# the source tree, or from the generated stage with the prefix "stage:").
# MAX_LEN: the longest input the fuzzer makes (64 KiB unless said).
# FULL_LENGTH: inputs of every length up to MAX_LEN from the start, where
# libFuzzer otherwise grows them slowly from small ones. Every model reader
# has it: a model's cost can grow faster than its size (one face of a 67 KB
# file once took 24 s to split), and only long inputs show it.
hop_fuzz_target(objloader FULL_LENGTH SOURCE objloader_fuzz.cpp LIBS objloader SEEDS obj
  ASSETS "stage:*/*.obj" "stage:*/*/*.obj"
  READER common/objloader/objloader.cpp)
hop_fuzz_target(boardhop_obj FULL_LENGTH SOURCE boardhop_obj_fuzz.cpp LIBS boardhop_lib SEEDS obj
  ASSETS "stage:boardhop/*.obj" "stage:boardhop/*/*.obj"
  READER boardhop/objloader.cpp)
hop_fuzz_target(marsdash_obj FULL_LENGTH SOURCE marsdash_obj_fuzz.cpp LIBS marsdash_lib SEEDS obj
  ASSETS "stage:marsdash/*/*.obj"
  READER marsdash/modelo.cpp)
hop_fuzz_target(lanehop_level SOURCE lanehop_level_fuzz.cpp LIBS lanehop_lib SEEDS level
  ASSETS "src/level/*.txt"
  READER src/level.cpp)
# Every byte of a settings input is drawn as a glyph in a GL context: inputs
# are kept to a few pages of text so the run reaches its count.
hop_fuzz_target(lanehop_settings SOURCE lanehop_settings_fuzz.cpp LIBS lanehop_lib PkgConfig::FTGL PkgConfig::SDL2 OpenGL::GL SEEDS settings
  MAX_LEN 4096
  ASSETS "src/resources/*.txt"
  READER src/level.cpp core/utf8.cpp)
hop_fuzz_target(lanehop_directive SOURCE lanehop_directive_fuzz.cpp LIBS lanehop_lib SEEDS directives
  READER core/directed.cpp)
# A level line can build a belt of 200 items, each advanced as play does:
# inputs stay within a few times the longest committed level.
hop_fuzz_target(orbitdash_level SOURCE orbitdash_level_fuzz.cpp LIBS orbitdash_lib SEEDS orbitdash_level
  MAX_LEN 1024
  ASSETS "orbitdash/niveles/*.txt"
  READER orbitdash/level.cpp)
hop_fuzz_target(pigeonrun_obj FULL_LENGTH SOURCE pigeonrun_obj_fuzz.cpp LIBS pigeonrun_lib SEEDS obj
  ASSETS "stage:pigeonrun/*/*.obj"
  READER pigeonrun/model.cpp)
hop_fuzz_target(duckrun_obj FULL_LENGTH SOURCE duckrun_obj_fuzz.cpp LIBS duckrun_lib SEEDS obj
  ASSETS "stage:duckrun/*.obj" "stage:duckrun/*/*.obj"
  READER duckrun/assets.cpp)
hop_fuzz_target(birdhop_obj FULL_LENGTH SOURCE birdhop_obj_fuzz.cpp LIBS birdhop_lib SEEDS obj
  ASSETS "stage:birdhop/*/*.obj" "stage:birdhop/*/*/*.obj"
  READER birdhop/model.cpp)
hop_fuzz_target(coopdash_obj FULL_LENGTH SOURCE coopdash_obj_fuzz.cpp LIBS coopdash_lib SEEDS obj
  ASSETS "stage:coopdash/*/*.obj"
  READER coopdash/lector_obj.cpp)
hop_fuzz_target(coopdash_mtl FULL_LENGTH SOURCE coopdash_mtl_fuzz.cpp LIBS coopdash_lib SEEDS mtl
  ASSETS "stage:coopdash/*/*.mtl"
  READER coopdash/lector_obj.cpp)
hop_fuzz_target(records SOURCE records_fuzz.cpp LIBS hopcommon SEEDS scores
  READER common/hopcommon/records.cpp)
hop_fuzz_target(henrun_model SOURCE henrun_model_fuzz.cpp LIBS henrun_lib SEEDS obj
  ASSETS "stage:henrun/*/*.obj"
  READER henrun/recursos.cpp)
