# bash completion for quilto-cli. The commands and their options are read from the
# program's own help, so that they never fall behind it.

_quilto_cli() {
    local cur prev words cword
    _init_completion || return

    case $prev in
        --folder | backup | restore)
            _filedir -d
            return
            ;;
        --json | --xlsx | --pdf | import)
            _filedir
            return
            ;;
        --printer)
            COMPREPLY=($(compgen -W "$(lpstat -e 2>/dev/null)" -- "$cur"))
            return
            ;;
    esac

    # The command is the first word that is neither an option nor --folder's folder.
    local i command=
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --folder) ((i++)) ;;
            -*) ;;
            *)
                command=${words[i]}
                break
                ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--folder --help --version" -- "$cur"))
        else
            local commands
            commands=$("${words[0]}" --help 2>/dev/null |
                sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\).*/\1/p')
            COMPREPLY=($(compgen -W "$commands help" -- "$cur"))
        fi
        return
    fi

    if [[ $command == masters && $prev == masters ]]; then
        COMPREPLY=($(compgen -W "list import export" -- "$cur"))
        return
    fi
    if [[ $command == help ]]; then
        local commands
        commands=$("${words[0]}" --help 2>/dev/null |
            sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\).*/\1/p')
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return
    fi
    if [[ $cur == -* ]]; then
        local options
        options=$("${words[0]}" help "$command" 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u)
        COMPREPLY=($(compgen -W "$options --folder --help" -- "$cur"))
    fi
} &&
    complete -F _quilto_cli quilto-cli
