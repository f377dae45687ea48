# bash completion for tavrelrex-cli

# Options when the word starts with "-", else files matching the pattern.
_tavrelrex_cli_options_or_files() {
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$1" -- "$cur"))
    else
        _filedir "$2"
    fi
}

_tavrelrex_cli() {
    local cur prev words cword
    _init_completion || return

    local subcommand="" i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} != -* ]]; then
            subcommand=${words[i]}
            break
        fi
    done

    case $subcommand in
    "")
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help --version' -- "$cur"))
        else
            COMPREPLY=($(compgen -W 'info convert upgrade record repair devices export' -- "$cur"))
        fi
        ;;
    info) _tavrelrex_cli_options_or_files '--json --help' '@(sdf|SDF|tsd|TSD)' ;;
    convert)
        # The second file is the tsd file to write.
        if [[ $prev == *.@(sdf|SDF) ]]; then
            _tavrelrex_cli_options_or_files '--help' '@(tsd|TSD)'
        else
            _tavrelrex_cli_options_or_files '--help' '@(sdf|SDF)'
        fi
        ;;
    upgrade) _tavrelrex_cli_options_or_files '--help' '@(sdf|SDF)' ;;
    record)
        # A device's name: the first field of each line that "devices" prints.
        if [[ $prev == --device ]]; then
            COMPREPLY=($(compgen -W "$(tavrelrex-cli devices 2>/dev/null | cut -f1)" -- "$cur"))
        else
            _tavrelrex_cli_options_or_files '--force --device --help' '@(apm|APM)'
        fi
        ;;
    devices) COMPREPLY=($(compgen -W '--help' -- "$cur")) ;;
    repair) _tavrelrex_cli_options_or_files '--force --help' '@(sdf|SDF|tsd|TSD)' ;;
    export)
        # Option values first: the formats, the encodings, a list (1,3-5) to be typed.
        case $prev in
        --format) COMPREPLY=($(compgen -W 'csv hdf5 wav' -- "$cur")) ;;
        --encoding) COMPREPLY=($(compgen -W 'utf-8 cp932' -- "$cur")) ;;
        --bursts | --channels) COMPREPLY=() ;;
        *)
            local files=0
            for ((i = i + 1; i < cword; i++)); do
                case ${words[i]} in
                --format | --encoding | --bursts | --channels) ((i++)) ;;
                -*) ;;
                *) ((files++)) ;;
                esac
            done
            # The second file is the one to write.
            if ((files == 0)); then
                _tavrelrex_cli_options_or_files '--format --bursts --channels --encoding --force --help' \
                    '@(sdf|SDF|tsd|TSD)'
            else
                _tavrelrex_cli_options_or_files '--format --bursts --channels --encoding --force --help' \
                    '@(csv|CSV|h5|H5|hdf5|HDF5|wav|WAV)'
            fi
            ;;
        esac
        ;;
    esac
} && complete -F _tavrelrex_cli tavrelrex-cli
