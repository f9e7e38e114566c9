# Static checks over the whole tree, native and Windows sources alike:
# clang-format (the code must already be formatted), clang-tidy and cppcheck;
# the Ansible playbook (syntax check, ansible-lint and its control-node part
# run here); the scripts' own package-manager calls against a stand-in
# apt-get.
ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" clang-format clang-tidy cppcheck ansible ansible-lint openssh-client

cd "$ROOT"
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
mapfile -t translation_units < <(git ls-files '*.cpp')

say "clang-format: ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}" || die "unformatted code; run: clang-format -i \$(git ls-files '*.cpp' '*.h')"

# Compile databases of both builds (configuring is enough).
cmake --preset native >/dev/null
cmake --preset mingw >/dev/null
cmake --preset release >/dev/null
cmake --preset bench >/dev/null 2>&1 || true

# Windows sources are checked with the MinGW headers and the i686 target.
windows_args=(--extra-arg=--target=i686-w64-mingw32 --extra-arg=-nostdinc++)
while read -r dir; do
    windows_args+=("--extra-arg=-isystem$dir")
done < <(echo | i686-w64-mingw32-g++-posix -E -x c++ - -v 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search/p' | grep '^ /' | sed 's/^ //' |
    grep -v -e '/include$' -e 'include-fixed')
windows_args+=("--extra-arg=-isystem/usr/i686-w64-mingw32/include")

native_units=() windows_units=() release_units=() bench_units=()
for unit in "${translation_units[@]}"; do
    case $unit in
        app/Main.cpp) release_units+=("$unit") ;; # only the release build has the executable
        platform/win32/* | tests/win32/* | tests/e2e/* | bench/baseline/*) windows_units+=("$unit") ;;
        fuzz/*) ;; # built with the fuzzing flags only; see the fuzz stage
        bench/*) bench_units+=("$unit") ;;
        *) native_units+=("$unit") ;;
    esac
done

say "clang-tidy: ${#native_units[@]} native and $((${#windows_units[@]} + ${#release_units[@]})) Windows translation units"
tidy_log=$(mktemp)
trap 'rm -f "$tidy_log"' EXIT
run-clang-tidy -quiet -j 2 -p build/native "${native_units[@]/#/$ROOT/}" >"$tidy_log" 2>&1 ||
    { grep -E 'error:|warning:' "$tidy_log"; die "clang-tidy found problems in native sources"; }
if [ ${#bench_units[@]} -gt 0 ] && [ -f build/bench/compile_commands.json ]; then
    clang-tidy -quiet -p build/bench "${bench_units[@]}" || die "clang-tidy found problems in the benchmarks"
fi
clang-tidy -quiet -p build/mingw "${windows_args[@]}" "${windows_units[@]}" ||
    die "clang-tidy found problems in Windows sources"
clang-tidy -quiet -p build/release "${windows_args[@]}" "${release_units[@]}" ||
    die "clang-tidy found problems in the program's entry point"

say "platform/ includes nothing of the product's but platform/ and the value types it hands over"
if grep -rn '#include "' platform | grep -v -e '"platform/' -e '"sysinfo/SystemProfile.h"'; then
    die "platform/ includes the lines above; the seams and their Windows side depend only on platform/ and value types"
fi

say "cppcheck"
cppcheck_args=(--enable=warning,performance,portability --inline-suppr --error-exitcode=1 --quiet -j 2
    --library=googletest --library=scripts/lib/cppcheck-typed-tests.cfg --suppress='*:/usr/*' --suppress='*:*/googletest/*' --suppress=missingIncludeSystem)
cppcheck --project=build/native/compile_commands.json "${cppcheck_args[@]}" || die "cppcheck: native sources"
cppcheck --project=build/mingw/compile_commands.json --platform=win32W --library=windows "${cppcheck_args[@]}" ||
    die "cppcheck: Windows sources"
cppcheck --project=build/release/compile_commands.json --platform=win32W --library=windows "${cppcheck_args[@]}" \
    --file-filter='*app/Main.cpp' || die "cppcheck: the program's entry point"

say "ansible-playbook --syntax-check and ansible-lint: deploy/ansible, tests/ansible"
ansible-playbook --syntax-check -i deploy/ansible/inventory.example.yml deploy/ansible/assess.yml >/dev/null ||
    die "the playbook deploy/ansible/assess.yml does not pass the syntax check"
ansible-lint --offline --nocolor deploy/ansible/assess.yml deploy/ansible/inventory.example.yml tests/ansible/notes.yml ||
    die "ansible-lint found problems in deploy/ansible or tests/ansible"
say "The playbook's control-node part: notes, a round where no host can be assessed, the summary play"
bash tests/ansible/test_playbook.sh || die "the playbook's control-node part misbehaves (tests/ansible/test_playbook.sh)"

say "The scripts' apt-get calls against a stand-in: an inconsistent mirror, the package lists' lock"
bash tests/scripts/test_apt_mirror.sh || die "the scripts' package-manager calls misbehave (tests/scripts/test_apt_mirror.sh)"

say "The documentation's links: every relative link and #anchor leads somewhere, every page of docs/ is reached"
python3 tests/docs/test_check_links.py || die "the link check itself misbehaves (tests/docs/test_check_links.py)"
python3 tests/docs/check_links.py || die "a link of README.md or docs/ leads nowhere, or a page is reached from nowhere (tests/docs/check_links.py)"
