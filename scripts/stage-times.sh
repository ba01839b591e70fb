# Sourced by the CI scripts: the time each stage of a run took, printed at its end.
#   kvu_stage NAME COMMAND...   runs COMMAND and notes how long it took under NAME (in the
#                               file $KVU_STAGE_TIMES, which a calling script shares)
#   kvu_stage_report            the stages so far with their times, and the total
if [ -z "${KVU_STAGE_TIMES:-}" ]; then
    KVU_STAGE_TIMES=$(mktemp "${TMPDIR:-/tmp}/kvu-stages.XXXXXX")
    export KVU_STAGE_TIMES
    KVU_STAGE_TIMES_OWNER=$$
fi

kvu_stage() {
    local name=$1 start=$SECONDS rc=0
    shift
    "$@" || rc=$?
    printf '%s\t%s\t%s\n' "$name" $((SECONDS - start)) \
        "$([ $rc = 0 ] && echo ok || echo FAILED)" >>"$KVU_STAGE_TIMES"
    return $rc
}

kvu_stage_report() {
    local name seconds result total=0
    echo "Stage times:"
    while IFS=$'\t' read -r name seconds result; do
        printf '  %-16s %3d:%02d  %s\n' "$name" $((seconds / 60)) $((seconds % 60)) "$result"
        total=$((total + seconds))
    done <"$KVU_STAGE_TIMES"
    printf '  %-16s %3d:%02d\n' total $((total / 60)) $((total % 60))
    # Only the script that made the file removes it.
    [ "${KVU_STAGE_TIMES_OWNER:-}" != $$ ] || rm -f "$KVU_STAGE_TIMES"
}
