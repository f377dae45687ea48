#!/usr/bin/env bash
# check-completion.sh COMPLETION: the completion offers the subcommands and each one's options
# and files. bash-completion's helpers are stood in for, so the script's own logic is tested.
set -uo pipefail
source "$1"
_init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]};
    words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; }
_filedir() { COMPREPLY=("files:$1"); }
fail=0
check() { # expected, then the words of the command line (the last one being completed)
    local expected=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _tavrelrex_cli
    local got="${COMPREPLY[*]}"
    [ "$got" = "$expected" ] || { echo "'$*': expected '$expected', got '$got'" >&2; fail=1; }
}
[ "$(complete -p tavrelrex-cli)" = "complete -F _tavrelrex_cli tavrelrex-cli" ] || fail=1
check "info convert upgrade record repair devices export" tavrelrex-cli ""
check "files:@(sdf|SDF|tsd|TSD)" tavrelrex-cli repair ""
check "--force" tavrelrex-cli repair --f
check "upgrade" tavrelrex-cli up
check "--help --version" tavrelrex-cli --
check "--json" tavrelrex-cli info --j
check "files:@(sdf|SDF|tsd|TSD)" tavrelrex-cli info ""
check "files:@(sdf|SDF)" tavrelrex-cli convert ""
check "files:@(tsd|TSD)" tavrelrex-cli convert a.sdf ""
check "files:@(sdf|SDF)" tavrelrex-cli upgrade ""
check "--force" tavrelrex-cli record --f
check "files:@(apm|APM)" tavrelrex-cli record --force ""
check "--device" tavrelrex-cli record --d
# Device names come from "tavrelrex-cli devices", stood in for here.
tavrelrex-cli() { [ "$1" = devices ] && printf 'simulated\tcard\t8 ch\ndemo\tDemo device\t4 ch\n'; }
check "demo" tavrelrex-cli record --device d
check "simulated demo" tavrelrex-cli record a.apm --device ""
check "--help" tavrelrex-cli devices --
check "export" tavrelrex-cli ex
check "files:@(sdf|SDF|tsd|TSD)" tavrelrex-cli export ""
check "files:@(csv|CSV|h5|H5|hdf5|HDF5|wav|WAV)" tavrelrex-cli export a.sdf ""
check "files:@(csv|CSV|h5|H5|hdf5|HDF5|wav|WAV)" tavrelrex-cli export --bursts 1-3 a.tsd ""
check "files:@(sdf|SDF|tsd|TSD)" tavrelrex-cli export --channels 2 ""
check "--format --bursts --channels --encoding --force --help" tavrelrex-cli export --
check "csv hdf5 wav" tavrelrex-cli export --format ""
check "hdf5" tavrelrex-cli export a.sdf --format h
check "utf-8 cp932" tavrelrex-cli export --encoding ""
check "" tavrelrex-cli export --bursts ""
exit $fail
