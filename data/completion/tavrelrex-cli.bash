# bash completion for tavrelrex-cli
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
            COMPREPLY=($(compgen -W 'info convert upgrade record' -- "$cur"))
        fi
        ;;
    info)
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--json --help' -- "$cur"))
        else
            _filedir '@(sdf|SDF|tsd|TSD)'
        fi
        ;;
    convert)
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help' -- "$cur"))
        elif [[ $prev == *.@(sdf|SDF) ]]; then
            _filedir '@(tsd|TSD)'
        else
            _filedir '@(sdf|SDF)'
        fi
        ;;
    upgrade)
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help' -- "$cur"))
        else
            _filedir '@(sdf|SDF)'
        fi
        ;;
    record)
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--force --help' -- "$cur"))
        else
            _filedir '@(apm|APM)'
        fi
        ;;
    esac
} && complete -F _tavrelrex_cli tavrelrex-cli
