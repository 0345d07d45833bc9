# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Stages for the check scripts, sourced by them. A stage that fails does not stop the ones after it,
# so that one failure cannot hide another; a stage that needs what a failed one makes is skipped.
# stages_end prints one line per stage, last, and fails when any stage did not pass.
# shellcheck shell=sh

stages_passed=" "
stages_report=""
stages_status=0

# stage NAME "NEEDED STAGES" COMMAND [ARGUMENTS...]: runs the command, a program or a function of the
# script, with set -e in a subshell of its own.
stage() {
    stage_name=$1
    stage_needs=$2
    shift 2
    for stage_need in $stage_needs; do
        case $stages_passed in
        *" $stage_need "*) ;;
        *)
            stages_note "$stage_name" "skipped, since $stage_need did not pass"
            return 0
            ;;
        esac
    done
    echo "== stage $stage_name"
    stage_start=$(date +%s)
    # Not in an if: the shell ignores set -e in the subshell of a condition.
    (
        set -e
        "$@"
    )
    stage_status=$?
    stage_took="in $(($(date +%s) - stage_start)) s"
    if [ "$stage_status" -eq 0 ]; then
        stages_passed="$stages_passed$stage_name "
        stages_note "$stage_name" "passed $stage_took"
    else
        stages_note "$stage_name" "failed (status $stage_status) $stage_took"
    fi
}

stages_note() {
    case $2 in
    passed*) ;;
    *) stages_status=1 ;;
    esac
    stages_report="$stages_report
stage $1: $2"
}

stages_end() {
    echo "== $1 summary$stages_report"
    return "$stages_status"
}
